#include "avi_reader.h"

#include <algorithm>
#include <stdexcept>

namespace avitest {

namespace {

struct Bad : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Chunk {
    std::string id;
    std::uint64_t data; // offset of the data
    std::uint32_t size;
};

class VectorBytes final : public AviBytes {
  public:
    explicit VectorBytes(const std::vector<std::uint8_t>& file) : file_(file) {}
    std::uint64_t size() const override { return file_.size(); }
    std::uint8_t at(std::uint64_t offset) const override {
        return file_[static_cast<std::size_t>(offset)];
    }

  private:
    const std::vector<std::uint8_t>& file_;
};

class Reader {
  public:
    explicit Reader(const AviBytes& file) : file_(file) {}

    std::uint32_t u32(std::uint64_t at) const {
        need(at + 4);
        return static_cast<std::uint32_t>(file_.at(at) | file_.at(at + 1) << 8 |
                                          file_.at(at + 2) << 16 |
                                          static_cast<std::uint32_t>(file_.at(at + 3)) << 24);
    }
    std::uint64_t u64(std::uint64_t at) const { return u32(at) | std::uint64_t{u32(at + 4)} << 32; }
    std::string id(std::uint64_t at) const {
        need(at + 4);
        std::string text;
        for (std::uint64_t i = at; i < at + 4; ++i) {
            text.push_back(static_cast<char>(file_.at(i)));
        }
        return text;
    }
    std::vector<std::uint8_t> bytes(std::uint64_t at, std::uint32_t count) const {
        need(at + count);
        std::vector<std::uint8_t> out;
        for (std::uint64_t i = at; i < at + count; ++i) {
            out.push_back(file_.at(i));
        }
        return out;
    }
    void need(std::uint64_t end) const {
        if (end > file_.size()) {
            throw Bad("read past the end at " + std::to_string(end));
        }
    }
    // The chunks of the list whose data runs from begin to end.
    std::vector<Chunk> children(std::uint64_t begin, std::uint64_t end) const {
        std::vector<Chunk> chunks;
        for (std::uint64_t at = begin; at < end;) {
            const Chunk chunk{id(at), at + 8, u32(at + 4)};
            at = chunk.data + chunk.size + (chunk.size & 1);
            if (at > end) {
                throw Bad(chunk.id + " runs past its list");
            }
            chunks.push_back(chunk);
        }
        return chunks;
    }
    Chunk find(const std::vector<Chunk>& chunks, const std::string& wanted,
               const std::string& listType = "") const {
        for (const Chunk& chunk : chunks) {
            if (chunk.id == wanted && (listType.empty() || id(chunk.data) == listType)) {
                return chunk;
            }
        }
        throw Bad("no " + wanted + " " + listType);
    }

  private:
    const AviBytes& file_;
};

void expect(bool condition, const std::string& what) {
    if (!condition) {
        throw Bad(what);
    }
}

std::string twoDigits(std::size_t number) {
    return {static_cast<char>('0' + number / 10), static_cast<char>('0' + number % 10)};
}

// A stream's chunk within one segment, with its place in the segment.
struct StreamChunk {
    std::uint64_t data;
    std::uint32_t size;
};

// What the reader keeps of a stream besides what it reports.
struct StreamState {
    std::string chunkId;
    std::vector<std::uint64_t> indexOffsets;
    std::vector<std::uint32_t> indexDurations;
    std::uint64_t bytes = 0;
    std::size_t firstSegmentChunks = 0;
};

// Reads the header list: the streams' headers and formats.
void readHeader(const Reader& r, const std::vector<Chunk>& header, ReadAvi& result,
                std::vector<StreamState>& states) {
    result.microSecPerFrame = r.u32(r.find(header, "avih").data);
    for (const Chunk& list : header) {
        if (list.id != "LIST" || r.id(list.data) != "strl") {
            continue;
        }
        const std::vector<Chunk> strl = r.children(list.data + 4, list.data + list.size);
        const Chunk strh = r.find(strl, "strh");
        ReadStream stream;
        stream.type = r.id(strh.data);
        stream.handler = r.u32(strh.data + 4);
        stream.scale = r.u32(strh.data + 20);
        stream.rate = r.u32(strh.data + 24);
        stream.start = r.u32(strh.data + 28);
        stream.length = r.u32(strh.data + 32);
        stream.sampleSize = r.u32(strh.data + 44);
        const Chunk strf = r.find(strl, "strf");
        stream.format = r.bytes(strf.data, strf.size);
        expect(stream.type == "vids" || stream.type == "auds", "stream type " + stream.type);
        expect(stream.type == "vids" || stream.sampleSize != 0, "audio sample size 0");
        StreamState state;
        state.chunkId = twoDigits(result.streams.size()) + (stream.type == "vids" ? "dc" : "wb");
        result.streams.push_back(stream);
        states.push_back(state);
    }
    expect(!result.streams.empty(), "no streams");
    expect(r.u32(r.find(header, "avih").data + 24) == result.streams.size(), "avih streams");
}

// Reads file; with whole, the file's bytes, it copies out every chunk.
ReadAvi read(const AviBytes& file, const std::vector<std::uint8_t>* whole) {
    ReadAvi result;
    const Reader r(file);
    try {
        std::vector<StreamState> states;
        std::vector<Chunk> header;
        for (std::uint64_t at = 0; at < file.size(); ++result.segments) {
            expect(r.id(at) == "RIFF", "RIFF expected at " + std::to_string(at));
            const std::string type = r.id(at + 8);
            expect(type == (at == 0 ? "AVI " : "AVIX"), "RIFF type " + type);
            const std::uint64_t end = at + 8 + r.u32(at + 4);
            r.need(end);
            result.largestSegment = std::max(result.largestSegment, end - at);
            const std::vector<Chunk> top = r.children(at + 12, end);
            if (at == 0) {
                const Chunk hdrl = r.find(top, "LIST", "hdrl");
                header = r.children(hdrl.data + 4, hdrl.data + hdrl.size);
                readHeader(r, header, result, states);
            }
            const Chunk movi = r.find(top, "LIST", "movi");
            const std::vector<Chunk> inMovi = r.children(movi.data + 4, movi.data + movi.size);
            std::vector<std::vector<StreamChunk>> segment(states.size());
            std::vector<Chunk> ordered; // every stream's chunks in file order
            for (const Chunk& chunk : inMovi) {
                for (std::size_t s = 0; s < states.size(); ++s) {
                    if (chunk.id != states[s].chunkId) {
                        continue;
                    }
                    ReadStream& stream = result.streams[s];
                    segment[s].push_back(StreamChunk{chunk.data, chunk.size});
                    stream.sizes.push_back(chunk.size);
                    states[s].bytes += chunk.size;
                    if (whole != nullptr) {
                        const auto first = whole->begin() + static_cast<std::ptrdiff_t>(chunk.data);
                        stream.chunks.emplace_back(first, first + chunk.size);
                    }
                    result.order += twoDigits(s).substr(1);
                    ordered.push_back(chunk);
                }
            }
            expect(at == 0 || !ordered.empty(), "a further segment without chunks");
            for (std::size_t s = 0; s < states.size(); ++s) {
                const std::vector<StreamChunk>& chunks = segment[s];
                if (chunks.empty()) {
                    continue;
                }
                const std::string ixId = "ix" + twoDigits(s);
                const Chunk ix = r.find(inMovi, ixId);
                expect(r.id(ix.data + 8) == states[s].chunkId, ixId + " chunk id");
                expect(r.u32(ix.data + 4) == chunks.size(), ixId + " entry count");
                const std::uint64_t base = r.u64(ix.data + 12);
                std::uint64_t bytes = 0;
                for (std::size_t i = 0; i < chunks.size(); ++i) {
                    const std::uint64_t entry = ix.data + 24 + 8 * i;
                    expect(base + r.u32(entry) == chunks[i].data,
                           ixId + " offset " + std::to_string(i));
                    const std::uint32_t size = r.u32(entry + 4);
                    expect((size & 0x7FFFFFFFu) == chunks[i].size,
                           ixId + " size " + std::to_string(i));
                    result.streams[s].keyFrames.push_back((size & 0x80000000u) == 0);
                    bytes += chunks[i].size;
                }
                const ReadStream& stream = result.streams[s];
                states[s].indexOffsets.push_back(ix.data - 8);
                states[s].indexDurations.push_back(
                    stream.type == "vids" ? static_cast<std::uint32_t>(chunks.size())
                                          : static_cast<std::uint32_t>(bytes / stream.sampleSize));
            }
            if (at == 0) {
                for (std::size_t s = 0; s < states.size(); ++s) {
                    states[s].firstSegmentChunks = segment[s].size();
                }
                const Chunk idx1 = r.find(top, "idx1");
                expect(idx1.size == 16 * ordered.size(), "idx1 size");
                std::vector<std::size_t> seen(states.size(), 0);
                for (std::size_t i = 0; i < ordered.size(); ++i) {
                    const std::uint64_t entry = idx1.data + 16 * i;
                    expect(r.id(entry) == ordered[i].id, "idx1 id " + std::to_string(i));
                    const std::size_t s = static_cast<std::size_t>(ordered[i].id[1] - '0');
                    const bool key = result.streams[s].keyFrames[seen[s]++];
                    expect((r.u32(entry + 4) == 0x10) == key, "idx1 key flag " + std::to_string(i));
                    expect(movi.data + r.u32(entry + 8) + 8 == ordered[i].data,
                           "idx1 offset " + std::to_string(i));
                    expect(r.u32(entry + 12) == ordered[i].size, "idx1 size " + std::to_string(i));
                }
            }
            at = end;
        }
        expect(r.u32(r.find(header, "avih").data + 16) == states[0].firstSegmentChunks,
               "avih frames");
        std::size_t number = 0;
        for (const Chunk& list : header) {
            if (list.id != "LIST" || r.id(list.data) != "strl") {
                continue;
            }
            const ReadStream& stream = result.streams[number];
            const StreamState& state = states[number++];
            const std::uint64_t length =
                stream.type == "vids" ? stream.sizes.size() : state.bytes / stream.sampleSize;
            expect(stream.length == length, state.chunkId + " strh length");
            const std::vector<Chunk> strl = r.children(list.data + 4, list.data + list.size);
            const Chunk indx = r.find(strl, "indx");
            expect(r.id(indx.data + 8) == state.chunkId, state.chunkId + " indx chunk id");
            expect(r.u32(indx.data + 4) == state.indexOffsets.size(),
                   state.chunkId + " indx entries");
            for (std::size_t i = 0; i < state.indexOffsets.size(); ++i) {
                const std::uint64_t entry = indx.data + 24 + 16 * i;
                expect(r.u64(entry) == state.indexOffsets[i],
                       state.chunkId + " indx offset " + std::to_string(i));
                expect(r.u32(entry + 12) == state.indexDurations[i],
                       state.chunkId + " indx duration " + std::to_string(i));
            }
        }
        const Chunk odmlList = r.find(header, "LIST", "odml");
        const std::vector<Chunk> odml =
            r.children(odmlList.data + 4, odmlList.data + odmlList.size);
        expect(r.u32(r.find(odml, "dmlh").data) == result.streams[0].sizes.size(), "dmlh frames");
        result.frames = result.streams[0].chunks;
        result.frameSizes = result.streams[0].sizes;
        result.keyFrames = result.streams[0].keyFrames;
    } catch (const Bad& bad) {
        result.error = bad.what();
    }
    return result;
}

} // namespace

ReadAvi readAvi(const std::vector<std::uint8_t>& file) {
    return read(VectorBytes(file), &file);
}

ReadAvi readAvi(const AviBytes& file) {
    return read(file, nullptr);
}

std::vector<std::uint8_t> joined(const ReadStream& stream) {
    std::vector<std::uint8_t> bytes;
    for (const std::vector<std::uint8_t>& chunk : stream.chunks) {
        bytes.insert(bytes.end(), chunk.begin(), chunk.end());
    }
    return bytes;
}

} // namespace avitest
