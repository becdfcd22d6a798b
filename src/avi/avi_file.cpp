#include "avi/avi_file.h"

#include <windows.h>
#include <mmsystem.h>
// mmsystem.h first: it declares FOURCC.
#include <aviriff.h>

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

} // namespace

AviFile::AviFile(FileOutput& file, const AviLimits& limits)
    : out_(file, limits.bufferBytes), limits_(limits) {}

HRESULT AviFile::begin(const VideoStream& stream) {
    try {
        HRESULT hr = out_.restart();
        if (FAILED(hr)) {
            return hr;
        }
        stream_ = stream;
        index_.clear();
        closedFrames_ = 0;
        firstSegmentFrames_ = 0;
        firstRiffBytes_ = 0;
        firstMoviBytes_ = 0;
        largestFrame_ = 0;
        const std::vector<std::uint8_t> header = buildHeader();
        segment_ = Segment{};
        segment_.moviStart = header.size() - 4;
        open_ = true;
        return out_.write(header.data(), header.size());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

std::vector<std::uint8_t> AviFile::buildHeader() const {
    const DWORD formatBytes = static_cast<DWORD>(stream_.bitmapInfo.size());
    const DWORD superIndexBytes =
        kSuperIndexHeaderBytes + kSuperIndexEntryBytes * limits_.superIndexEntries;
    const DWORD streamListBytes = 4 + kChunkHeaderBytes + kStreamHeaderBytes + kChunkHeaderBytes +
                                  static_cast<DWORD>(padded(formatBytes)) + kChunkHeaderBytes +
                                  superIndexBytes;
    const DWORD odmlListBytes = 4 + kChunkHeaderBytes + kExtendedHeaderBytes;
    const DWORD headerListBytes = 4 + kChunkHeaderBytes + kMainHeaderBytes + kChunkHeaderBytes +
                                  streamListBytes + kChunkHeaderBytes + odmlListBytes;
    DWORD rate = 0;
    DWORD scale = 0;
    frameRate(stream_.frameInterval, rate, scale);
    const ULONGLONG total = frames();
    const auto width = static_cast<std::uint16_t>(stream_.width > 0x7FFF ? 0x7FFF : stream_.width);
    const auto height =
        static_cast<std::uint16_t>(stream_.height > 0x7FFF ? 0x7FFF : stream_.height);

    Bytes b;
    b.list("RIFF", firstRiffBytes_, "AVI ");
    b.list("LIST", headerListBytes, "hdrl");

    b.chunk("avih", kMainHeaderBytes);
    b.u32(clampToDword((static_cast<ULONGLONG>(stream_.frameInterval) + 5) / 10));
    b.u32(clampToDword(ULONGLONG{largestFrame_} * kUnitsPerSecond /
                       static_cast<ULONGLONG>(stream_.frameInterval)));
    b.u32(0); // padding granularity
    b.u32(AVIF_HASINDEX | AVIF_ISINTERLEAVED);
    b.u32(firstSegmentFrames_);
    b.u32(0); // initial frames
    b.u32(1); // streams
    b.u32(largestFrame_);
    b.u32(static_cast<DWORD>(stream_.width));
    b.u32(static_cast<DWORD>(stream_.height));
    b.zeros(16);

    b.list("LIST", streamListBytes, "strl");
    b.chunk("strh", kStreamHeaderBytes);
    b.fourcc("vids");
    b.u32(stream_.compression);
    b.u32(0); // flags
    b.u16(0); // priority
    b.u16(0); // language
    b.u32(0); // initial frames
    b.u32(scale);
    b.u32(rate);
    b.u32(0); // start
    b.u32(clampToDword(total));
    b.u32(largestFrame_);
    b.u32(0xFFFFFFFFu); // quality: default
    b.u32(0);           // sample size: varies
    b.u16(0);
    b.u16(0);
    b.u16(width);
    b.u16(height);

    b.chunk("strf", formatBytes);
    b.raw(stream_.bitmapInfo);
    b.zeros(padded(formatBytes) - formatBytes);

    b.chunk("indx", superIndexBytes);
    b.u16(4); // longs per entry
    b.u8(AVI_INDEX_SUB_DEFAULT);
    b.u8(AVI_INDEX_OF_INDEXES);
    b.u32(static_cast<DWORD>(index_.size()));
    b.fourcc("00dc");
    b.zeros(12);
    for (const SegmentIndex& entry : index_) {
        b.u64(entry.offset);
        b.u32(entry.bytes);
        b.u32(entry.frames);
    }
    b.zeros(kSuperIndexEntryBytes * (limits_.superIndexEntries - index_.size()));

    b.list("LIST", odmlListBytes, "odml");
    b.chunk("dmlh", kExtendedHeaderBytes);
    b.u32(clampToDword(total));
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

bool AviFile::fits(ULONGLONG bytes) const {
    const ULONGLONG chunks = segment_.chunks.size() + 1;
    ULONGLONG indices = kChunkHeaderBytes + kStdIndexHeaderBytes + kStdIndexEntryBytes * chunks;
    if (isFirstSegment()) {
        indices += kChunkHeaderBytes + kOldIndexEntryBytes * chunks;
    }
    return out_.position() + bytes + indices - segment_.riffStart <= limits_.segmentBytes;
}

HRESULT AviFile::addFrame(const void* data, DWORD bytes, bool keyFrame) {
    if (!open_) {
        return E_UNEXPECTED;
    }
    if (FAILED(out_.failure())) {
        return out_.failure();
    }
    const ULONGLONG chunkBytes = kChunkHeaderBytes + padded(bytes);
    try {
        if (!fits(chunkBytes)) {
            // A new segment needs a super index entry beyond the open one's.
            if (segment_.chunks.empty() || index_.size() + 2 > limits_.superIndexEntries) {
                return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
            }
            HRESULT hr = closeSegment();
            if (SUCCEEDED(hr)) {
                hr = openSegment();
            }
            if (FAILED(hr)) {
                return hr;
            }
            if (!fits(chunkBytes)) {
                return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
            }
        }
        segment_.chunks.reserve(segment_.chunks.size() + 1);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const ULONGLONG offset = out_.position();
    const std::uint8_t header[kChunkHeaderBytes] = {'0',
                                                    '0',
                                                    'd',
                                                    'c',
                                                    static_cast<std::uint8_t>(bytes),
                                                    static_cast<std::uint8_t>(bytes >> 8),
                                                    static_cast<std::uint8_t>(bytes >> 16),
                                                    static_cast<std::uint8_t>(bytes >> 24)};
    const std::uint8_t pad = 0;
    HRESULT hr = out_.write(header, sizeof(header));
    if (SUCCEEDED(hr)) {
        hr = out_.write(data, bytes);
    }
    if (SUCCEEDED(hr) && (bytes & 1) != 0) {
        hr = out_.write(&pad, 1);
    }
    if (FAILED(hr)) {
        return hr;
    }
    segment_.chunks.push_back(Chunk{offset, bytes, keyFrame});
    if (bytes > largestFrame_) {
        largestFrame_ = bytes;
    }
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

HRESULT AviFile::writeChunkIndices() {
    const std::vector<Chunk>& chunks = segment_.chunks;
    const auto count = static_cast<DWORD>(chunks.size());
    Bytes b;
    if (count != 0) {
        b.chunk("ix00", kStdIndexHeaderBytes + kStdIndexEntryBytes * count);
        b.u16(2); // longs per entry
        b.u8(AVI_INDEX_SUB_DEFAULT);
        b.u8(AVI_INDEX_OF_CHUNKS);
        b.u32(count);
        b.fourcc("00dc");
        b.u64(segment_.moviStart); // base offset
        b.u32(0);
        for (const Chunk& chunk : chunks) {
            // Entries point at the data; the top bit marks a frame that is not a key frame.
            b.u32(static_cast<DWORD>(chunk.offset + kChunkHeaderBytes - segment_.moviStart));
            b.u32(chunk.bytes | (chunk.keyFrame ? 0 : AVISTDINDEX_DELTAFRAME));
        }
    }
    return out_.write(b.data().data(), b.data().size());
}

HRESULT AviFile::closeSegment() {
    const std::vector<Chunk>& chunks = segment_.chunks;
    const auto count = static_cast<DWORD>(chunks.size());
    const ULONGLONG indexOffset = out_.position();
    HRESULT hr = writeChunkIndices();
    const ULONGLONG moviEnd = out_.position();
    if (SUCCEEDED(hr) && isFirstSegment()) {
        Bytes b;
        b.chunk("idx1", kOldIndexEntryBytes * count);
        for (const Chunk& chunk : chunks) {
            b.fourcc("00dc");
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
        firstSegmentFrames_ = count;
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
    if (count != 0) {
        index_.push_back(
            SegmentIndex{indexOffset, static_cast<DWORD>(moviEnd - indexOffset), count});
    }
    closedFrames_ += count;
    segment_.chunks.clear();
    return S_OK;
}

HRESULT AviFile::cutToWholeFrames(bool& segmentKept) {
    // What did not reach the file is dropped, so a failed flush needs no answer here.
    out_.flush();
    std::vector<Chunk>& chunks = segment_.chunks;
    while (!chunks.empty() &&
           chunkEnd(chunks.back().offset, chunks.back().bytes) > out_.writtenEnd()) {
        chunks.pop_back();
    }
    // A further segment without frames is left out altogether.
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
                hr = cutToWholeFrames(segmentKept);
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
