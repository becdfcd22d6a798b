#include "avi/avi_file.h"

#include "avi/timeline.h"

#include <windows.h>
#include <mmsystem.h>
// mmsystem.h first: it declares FOURCC.
#include <aviriff.h>

#include <algorithm>
#include <new>
#include <numeric>

namespace vcx::avi {

namespace {

constexpr DWORD kMainHeaderBytes = 56;
constexpr DWORD kStreamHeaderBytes = 56;
constexpr DWORD kExtendedHeaderBytes = 248;
constexpr DWORD kSuperIndexHeaderBytes = 24;
constexpr DWORD kSuperIndexEntryBytes = 16;
constexpr DWORD kStdIndexHeaderBytes = 24;
constexpr DWORD kStdIndexEntryBytes = 8;
constexpr DWORD kOldIndexEntryBytes = 16;
constexpr DWORD kChunkHeaderBytes = 8;
constexpr DWORD kSegmentHeaderBytes = 24; // RIFF size 'AVIX' LIST size 'movi'
constexpr ULONGLONG kUnitsPerSecond = 10'000'000;

ULONGLONG padded(ULONGLONG bytes) {
    return bytes + (bytes & 1);
}

ULONGLONG chunkEnd(ULONGLONG offset, DWORD bytes) {
    return offset + kChunkHeaderBytes + padded(bytes);
}

DWORD clampToDword(ULONGLONG value) {
    return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(value);
}

// Little-endian RIFF fields, appended to a byte vector (which may throw
// std::bad_alloc).
class Bytes {
  public:
    void u8(std::uint8_t value) { data_.push_back(value); }
    void u16(std::uint16_t value) {
        u8(static_cast<std::uint8_t>(value));
        u8(static_cast<std::uint8_t>(value >> 8));
    }
    void u32(std::uint32_t value) {
        u16(static_cast<std::uint16_t>(value));
        u16(static_cast<std::uint16_t>(value >> 16));
    }
    void u64(std::uint64_t value) {
        u32(static_cast<std::uint32_t>(value));
        u32(static_cast<std::uint32_t>(value >> 32));
    }
    void fourcc(const char (&code)[5]) { data_.insert(data_.end(), code, code + 4); }
    void raw(const std::vector<std::uint8_t>& bytes) {
        data_.insert(data_.end(), bytes.begin(), bytes.end());
    }
    void zeros(std::size_t count) { data_.insert(data_.end(), count, 0); }
    void chunk(const char (&code)[5], DWORD bytes) {
        fourcc(code);
        u32(bytes);
    }
    void list(const char (&code)[5], DWORD bytes, const char (&type)[5]) {
        chunk(code, bytes);
        fourcc(type);
    }
    const std::vector<std::uint8_t>& data() const { return data_; }

  private:
    std::vector<std::uint8_t> data_;
};

// The frame rate as dwRate / dwScale frames per second, both 32-bit.
void frameRate(REFERENCE_TIME interval, DWORD& rate, DWORD& scale) {
    ULONGLONG num = kUnitsPerSecond;
    ULONGLONG den = static_cast<ULONGLONG>(interval);
    const ULONGLONG divisor = std::gcd(num, den);
    num /= divisor;
    den /= divisor;
    while (den > 0xFFFFFFFFu) {
        den /= 2;
        num = num > 1 ? num / 2 : 1;
    }
    rate = static_cast<DWORD>(num);
    scale = static_cast<DWORD>(den);
}

// Names stream number's chunks and standard index: "00dc", "ix00".
void nameStream(std::size_t number, const char (&kind)[3], char (&chunkId)[5], char (&indexId)[5]) {
    const char tens = static_cast<char>('0' + number / 10);
    const char ones = static_cast<char>('0' + number % 10);
    const char chunk[5] = {tens, ones, kind[0], kind[1], '\0'};
    const char index[5] = {'i', 'x', tens, ones, '\0'};
    std::copy(chunk, chunk + 5, chunkId);
    std::copy(index, index + 5, indexId);
}

} // namespace

AviFile::AviFile(FileOutput& file, const AviLimits& limits)
    : out_(file, limits.bufferBytes), limits_(limits) {}

HRESULT AviFile::begin(const std::optional<VideoStream>& video,
                       const std::optional<AudioStream>& audio) {
    if (!video && !audio) {
        return E_INVALIDARG;
    }
    try {
        HRESULT hr = out_.restart();
        if (FAILED(hr)) {
            return hr;
        }
        streams_.clear();
        videoStream_.reset();
        audioStream_.reset();
        if (video) {
            video_ = *video;
            if (video_.frameInterval == 0) {
                video_.frameInterval = kDefaultFrameInterval;
            }
            Stream stream;
            nameStream(streams_.size(), "dc", stream.chunkId, stream.indexId);
            stream.format = video->bitmapInfo;
            stream.index.reserve(limits_.superIndexEntries);
            videoStream_ = streams_.size();
            streams_.push_back(std::move(stream));
        }
        if (audio) {
            Stream stream;
            stream.audio = true;
            nameStream(streams_.size(), "wb", stream.chunkId, stream.indexId);
            stream.format = audio->waveFormat;
            stream.blockAlign = audio->blockAlign;
            stream.bytesPerSecond = audio->bytesPerSecond;
            stream.index.reserve(limits_.superIndexEntries);
            audioStream_ = streams_.size();
            streams_.push_back(std::move(stream));
        }
        firstRiffBytes_ = 0;
        firstMoviBytes_ = 0;
        leadReserved_ = 0;
        leadKept_ = 0;
        const std::vector<std::uint8_t> header = buildHeader();
        segment_ = Segment{};
        segment_.moviStart = header.size() - 4;
        open_ = true;
        return out_.write(header.data(), header.size());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

void AviFile::setVideoTiming(REFERENCE_TIME frameInterval, DWORD startFrames) {
    if (videoStream_ && frameInterval > 0) {
        video_.frameInterval = frameInterval;
        streams_[*videoStream_].start = startFrames;
    }
}

void AviFile::setAudioStart(DWORD startBlocks) {
    if (audioStream_) {
        streams_[*audioStream_].start = startBlocks;
    }
}

HRESULT AviFile::reserveVideoLead(DWORD count) {
    if (!videoStream_ || !segment_.chunks.empty()) {
        return E_UNEXPECTED;
    }
    leadOffset_ = out_.position();
    leadReserved_ = 0;
    leadKept_.reset();
    for (DWORD i = 0; i < count; ++i) {
        const HRESULT hr = addDropFrame();
        if (FAILED(hr)) {
            return hr;
        }
        ++leadReserved_;
    }
    return S_OK;
}

void AviFile::settleVideoLead(DWORD kept) {
    if (leadKept_ || !isFirstSegment()) {
        return;
    }
    leadKept_ = std::min(kept, leadReserved_);
    // The reserved chunks come first; a cut after a failure may have taken some.
    const auto dropped = static_cast<std::ptrdiff_t>(
        std::min<std::size_t>(leadReserved_ - *leadKept_, segment_.chunks.size()));
    segment_.chunks.erase(segment_.chunks.begin(), segment_.chunks.begin() + dropped);
    streams_[*videoStream_].segmentChunks -= static_cast<DWORD>(dropped);
}

std::optional<DWORD> AviFile::videoLead() const {
    return leadKept_;
}

HRESULT AviFile::writeLeadJunk() {
    const ULONGLONG end = out_.position();
    const DWORD junk = leadReserved_ - leadKept_.value_or(0);
    const ULONGLONG headers = std::min<ULONGLONG>(junk, (end - leadOffset_) / kChunkHeaderBytes);
    if (headers == 0) {
        return S_OK;
    }
    Bytes b;
    for (ULONGLONG i = 0; i < headers; ++i) {
        b.chunk("JUNK", 0);
    }
    HRESULT hr = out_.seek(leadOffset_);
    if (SUCCEEDED(hr)) {
        hr = out_.write(b.data().data(), b.data().size());
    }
    if (SUCCEEDED(hr)) {
        hr = out_.seek(end);
    }
    return hr;
}

ULONGLONG AviFile::streamChunks(const Stream& stream) const {
    return stream.closedChunks + stream.segmentChunks;
}

ULONGLONG AviFile::streamBytes(const Stream& stream) const {
    return stream.closedBytes + stream.segmentBytes;
}

ULONGLONG AviFile::frames() const {
    return videoStream_ ? streamChunks(streams_[*videoStream_]) : 0;
}

std::vector<std::uint8_t> AviFile::buildHeader() const {
    const DWORD superIndexBytes =
        kSuperIndexHeaderBytes + kSuperIndexEntryBytes * limits_.superIndexEntries;
    const auto streamListBytes = [&](const Stream& stream) {
        return 4 + kChunkHeaderBytes + kStreamHeaderBytes + kChunkHeaderBytes +
               static_cast<DWORD>(padded(stream.format.size())) + kChunkHeaderBytes +
               superIndexBytes;
    };
    const DWORD odmlListBytes = 4 + kChunkHeaderBytes + kExtendedHeaderBytes;
    DWORD headerListBytes =
        4 + kChunkHeaderBytes + kMainHeaderBytes + kChunkHeaderBytes + odmlListBytes;
    DWORD largestChunk = 0;
    for (const Stream& stream : streams_) {
        headerListBytes += kChunkHeaderBytes + streamListBytes(stream);
        largestChunk = std::max(largestChunk, stream.largestChunk);
    }
    const Stream& first = streams_.front();
    const ULONGLONG firstTotal = streamChunks(first);
    const auto interval = static_cast<ULONGLONG>(video_.frameInterval);
    ULONGLONG maxBytesPerSecond = 0;
    if (videoStream_) {
        maxBytesPerSecond +=
            ULONGLONG{streams_[*videoStream_].largestChunk} * kUnitsPerSecond / interval;
    }
    if (audioStream_) {
        maxBytesPerSecond += streams_[*audioStream_].bytesPerSecond;
    }

    Bytes b;
    b.list("RIFF", firstRiffBytes_, "AVI ");
    b.list("LIST", headerListBytes, "hdrl");

    b.chunk("avih", kMainHeaderBytes);
    b.u32(videoStream_ ? clampToDword((interval + 5) / 10) : 0);
    b.u32(clampToDword(maxBytesPerSecond));
    b.u32(0); // padding granularity
    b.u32(AVIF_HASINDEX | AVIF_ISINTERLEAVED);
    b.u32(first.firstSegmentChunks);
    b.u32(0); // initial frames
    b.u32(static_cast<DWORD>(streams_.size()));
    b.u32(largestChunk);
    b.u32(videoStream_ ? static_cast<DWORD>(video_.width) : 0);
    b.u32(videoStream_ ? static_cast<DWORD>(video_.height) : 0);
    b.zeros(16);

    for (const Stream& stream : streams_) {
        b.list("LIST", streamListBytes(stream), "strl");
        b.chunk("strh", kStreamHeaderBytes);
        if (stream.audio) {
            b.fourcc("auds");
            b.u32(0); // handler
        } else {
            b.fourcc("vids");
            b.u32(video_.compression);
        }
        b.u32(0); // flags
        b.u16(0); // priority
        b.u16(0); // language
        b.u32(0); // initial frames
        if (stream.audio) {
            b.u32(stream.blockAlign);
            b.u32(stream.bytesPerSecond);
            b.u32(stream.start);
            b.u32(clampToDword(streamBytes(stream) / stream.blockAlign));
        } else {
            DWORD rate = 0;
            DWORD scale = 0;
            frameRate(video_.frameInterval, rate, scale);
            b.u32(scale);
            b.u32(rate);
            b.u32(stream.start);
            b.u32(clampToDword(streamChunks(stream)));
        }
        b.u32(stream.largestChunk);
        b.u32(0xFFFFFFFFu);                          // quality: default
        b.u32(stream.audio ? stream.blockAlign : 0); // sample size: video varies
        b.u16(0);
        b.u16(0);
        const auto edge = [](LONG value) {
            return static_cast<std::uint16_t>(value > 0x7FFF ? 0x7FFF : value);
        };
        b.u16(stream.audio ? 0 : edge(video_.width));
        b.u16(stream.audio ? 0 : edge(video_.height));

        const auto formatBytes = static_cast<DWORD>(stream.format.size());
        b.chunk("strf", formatBytes);
        b.raw(stream.format);
        b.zeros(padded(formatBytes) - formatBytes);

        b.chunk("indx", superIndexBytes);
        b.u16(4); // longs per entry
        b.u8(AVI_INDEX_SUB_DEFAULT);
        b.u8(AVI_INDEX_OF_INDEXES);
        b.u32(static_cast<DWORD>(stream.index.size()));
        b.fourcc(stream.chunkId);
        b.zeros(12);
        for (const SegmentIndex& entry : stream.index) {
            b.u64(entry.offset);
            b.u32(entry.bytes);
            b.u32(entry.duration);
        }
        b.zeros(kSuperIndexEntryBytes * (limits_.superIndexEntries - stream.index.size()));
    }

    b.list("LIST", odmlListBytes, "odml");
    b.chunk("dmlh", kExtendedHeaderBytes);
    b.u32(clampToDword(firstTotal));
    b.zeros(kExtendedHeaderBytes - 4);

    b.list("LIST", firstMoviBytes_, "movi");
    return b.data();
}

HRESULT AviFile::writeHeader() {
    const ULONGLONG end = out_.position();
    const std::vector<std::uint8_t> header = buildHeader();
    HRESULT hr = out_.seek(0);
    if (SUCCEEDED(hr)) {
        hr = out_.write(header.data(), header.size());
    }
    if (SUCCEEDED(hr)) {
        hr = out_.seek(end);
    }
    return hr;
}

bool AviFile::fits(std::size_t stream, ULONGLONG bytes) const {
    ULONGLONG indices = 0;
    for (std::size_t i = 0; i < streams_.size(); ++i) {
        const ULONGLONG chunks = streams_[i].segmentChunks + (i == stream ? 1 : 0);
        if (chunks != 0) {
            indices += kChunkHeaderBytes + kStdIndexHeaderBytes + kStdIndexEntryBytes * chunks;
        }
    }
    if (isFirstSegment()) {
        indices += kChunkHeaderBytes + kOldIndexEntryBytes * (segment_.chunks.size() + 1);
    }
    return out_.position() + bytes + indices - segment_.riffStart <= limits_.segmentBytes;
}

HRESULT AviFile::addFrame(const void* data, DWORD bytes, bool keyFrame) {
    if (!videoStream_) {
        return E_UNEXPECTED;
    }
    return addChunk(*videoStream_, data, bytes, keyFrame);
}

HRESULT AviFile::addAudio(const void* data, DWORD bytes) {
    if (!audioStream_) {
        return E_UNEXPECTED;
    }
    return addChunk(*audioStream_, data, bytes, true);
}

HRESULT AviFile::addChunk(std::size_t stream, const void* data, DWORD bytes, bool keyFrame) {
    if (!open_) {
        return E_UNEXPECTED;
    }
    if (FAILED(out_.failure())) {
        return out_.failure();
    }
    const ULONGLONG chunkBytes = kChunkHeaderBytes + padded(bytes);
    try {
        if (!fits(stream, chunkBytes)) {
            // A new segment needs a super index entry beyond the open one's.
            const bool indexFull =
                std::any_of(streams_.begin(), streams_.end(), [this](const Stream& s) {
                    return s.index.size() + 2 > limits_.superIndexEntries;
                });
            if (segment_.chunks.empty() || indexFull) {
                return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
            }
            HRESULT hr = closeSegment();
            if (SUCCEEDED(hr)) {
                hr = openSegment();
            }
            if (FAILED(hr)) {
                return hr;
            }
            if (!fits(stream, chunkBytes)) {
                return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
            }
        }
        segment_.chunks.reserve(segment_.chunks.size() + 1);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    Stream& target = streams_[stream];
    const ULONGLONG offset = out_.position();
    const std::uint8_t header[kChunkHeaderBytes] = {static_cast<std::uint8_t>(target.chunkId[0]),
                                                    static_cast<std::uint8_t>(target.chunkId[1]),
                                                    static_cast<std::uint8_t>(target.chunkId[2]),
                                                    static_cast<std::uint8_t>(target.chunkId[3]),
                                                    static_cast<std::uint8_t>(bytes),
                                                    static_cast<std::uint8_t>(bytes >> 8),
                                                    static_cast<std::uint8_t>(bytes >> 16),
                                                    static_cast<std::uint8_t>(bytes >> 24)};
    const std::uint8_t pad = 0;
    HRESULT hr = out_.write(header, sizeof(header));
    if (SUCCEEDED(hr) && bytes != 0) {
        hr = out_.write(data, bytes);
    }
    if (SUCCEEDED(hr) && (bytes & 1) != 0) {
        hr = out_.write(&pad, 1);
    }
    if (FAILED(hr)) {
        return hr;
    }
    segment_.chunks.push_back(Chunk{offset, bytes, keyFrame, static_cast<std::uint8_t>(stream)});
    ++target.segmentChunks;
    target.segmentBytes += bytes;
    target.largestChunk = std::max(target.largestChunk, bytes);
    return S_OK;
}

HRESULT AviFile::openSegment() {
    const ULONGLONG start = out_.position();
    Bytes b;
    b.list("RIFF", 0, "AVIX");
    b.list("LIST", 0, "movi");
    segment_ = Segment{};
    segment_.riffStart = start;
    segment_.moviStart = start + kSegmentHeaderBytes - 4;
    return out_.write(b.data().data(), b.data().size());
}

HRESULT AviFile::writeChunkIndices(std::vector<SegmentIndex>& entries) {
    Bytes b;
    entries.assign(streams_.size(), SegmentIndex{0, 0, 0});
    for (std::size_t s = 0; s < streams_.size(); ++s) {
        const Stream& stream = streams_[s];
        if (stream.segmentChunks == 0) {
            continue;
        }
        const DWORD bytes = kStdIndexHeaderBytes + kStdIndexEntryBytes * stream.segmentChunks;
        entries[s].offset = out_.position() + b.data().size();
        entries[s].bytes = kChunkHeaderBytes + bytes;
        entries[s].duration = stream.audio ? clampToDword(stream.segmentBytes / stream.blockAlign)
                                           : stream.segmentChunks;
        b.chunk(stream.indexId, bytes);
        b.u16(2); // longs per entry
        b.u8(AVI_INDEX_SUB_DEFAULT);
        b.u8(AVI_INDEX_OF_CHUNKS);
        b.u32(stream.segmentChunks);
        b.fourcc(stream.chunkId);
        b.u64(segment_.moviStart); // base offset
        b.u32(0);
        for (const Chunk& chunk : segment_.chunks) {
            if (chunk.stream == s) {
                // Entries point at the data; the top bit marks a chunk that is not a key frame.
                b.u32(static_cast<DWORD>(chunk.offset + kChunkHeaderBytes - segment_.moviStart));
                b.u32(chunk.bytes | (chunk.keyFrame ? 0 : AVISTDINDEX_DELTAFRAME));
            }
        }
    }
    return out_.write(b.data().data(), b.data().size());
}

HRESULT AviFile::closeSegment() {
    HRESULT hr = S_OK;
    if (isFirstSegment()) {
        settleVideoLead(0);
        hr = writeLeadJunk();
    }
    const std::vector<Chunk>& chunks = segment_.chunks;
    std::vector<SegmentIndex> entries;
    if (SUCCEEDED(hr)) {
        hr = writeChunkIndices(entries);
    }
    const ULONGLONG moviEnd = out_.position();
    if (SUCCEEDED(hr) && isFirstSegment()) {
        Bytes b;
        b.chunk("idx1", kOldIndexEntryBytes * static_cast<DWORD>(chunks.size()));
        for (const Chunk& chunk : chunks) {
            b.fourcc(streams_[chunk.stream].chunkId);
            b.u32(chunk.keyFrame ? AVIIF_KEYFRAME : 0);
            b.u32(static_cast<DWORD>(chunk.offset - segment_.moviStart));
            b.u32(chunk.bytes);
        }
        hr = out_.write(b.data().data(), b.data().size());
    }
    if (FAILED(hr)) {
        return hr;
    }
    const ULONGLONG riffEnd = out_.position();
    const auto riffBytes = static_cast<DWORD>(riffEnd - segment_.riffStart - kChunkHeaderBytes);
    const auto moviBytes = static_cast<DWORD>(moviEnd - segment_.moviStart);
    if (isFirstSegment()) {
        // The header carries them; finish() writes it.
        firstRiffBytes_ = riffBytes;
        firstMoviBytes_ = moviBytes;
        for (Stream& stream : streams_) {
            stream.firstSegmentChunks = stream.segmentChunks;
        }
    } else {
        hr = out_.seek(segment_.riffStart + 4);
        if (SUCCEEDED(hr)) {
            hr = out_.write(&riffBytes, sizeof(riffBytes));
        }
        if (SUCCEEDED(hr)) {
            hr = out_.seek(segment_.moviStart - 4);
        }
        if (SUCCEEDED(hr)) {
            hr = out_.write(&moviBytes, sizeof(moviBytes));
        }
        if (SUCCEEDED(hr)) {
            hr = out_.seek(riffEnd);
        }
    }
    if (SUCCEEDED(hr)) {
        hr = out_.flush();
    }
    if (FAILED(hr)) {
        return hr;
    }
    for (std::size_t s = 0; s < streams_.size(); ++s) {
        Stream& stream = streams_[s];
        if (entries[s].bytes != 0) {
            stream.index.push_back(entries[s]); // reserved: does not throw
        }
        stream.closedChunks += stream.segmentChunks;
        stream.closedBytes += stream.segmentBytes;
        stream.segmentChunks = 0;
        stream.segmentBytes = 0;
    }
    segment_.chunks.clear();
    return S_OK;
}

HRESULT AviFile::cutToWholeChunks(bool& segmentKept) {
    // What did not reach the file is dropped, so a failed flush needs no answer here.
    out_.flush();
    std::vector<Chunk>& chunks = segment_.chunks;
    while (!chunks.empty() &&
           chunkEnd(chunks.back().offset, chunks.back().bytes) > out_.writtenEnd()) {
        Stream& stream = streams_[chunks.back().stream];
        --stream.segmentChunks;
        stream.segmentBytes -= chunks.back().bytes;
        chunks.pop_back();
    }
    // A further segment without chunks is left out altogether.
    segmentKept = isFirstSegment() || !chunks.empty();
    if (!segmentKept) {
        return out_.truncate(segment_.riffStart);
    }
    return out_.truncate(chunks.empty() ? segment_.moviStart + 4
                                        : chunkEnd(chunks.back().offset, chunks.back().bytes));
}

HRESULT AviFile::finish() {
    if (!open_) {
        return S_OK;
    }
    open_ = false;
    try {
        // A second attempt after a failure: a write that failed once may go through.
        HRESULT hr = S_OK;
        bool closed = false;
        ULONGLONG end = 0;
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (!closed) {
                bool segmentKept = false;
                hr = cutToWholeChunks(segmentKept);
                if (SUCCEEDED(hr) && segmentKept) {
                    hr = closeSegment();
                }
                closed = SUCCEEDED(hr);
                end = out_.position();
            } else {
                hr = out_.truncate(end);
            }
            if (SUCCEEDED(hr)) {
                hr = writeHeader();
            }
            if (SUCCEEDED(hr)) {
                hr = out_.flush();
            }
            if (SUCCEEDED(hr)) {
                return S_OK;
            }
        }
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace vcx::avi
