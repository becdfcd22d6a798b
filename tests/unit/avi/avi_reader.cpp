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

struct FrameChunk {
    std::uint64_t data;
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

// Reads file; with whole, the file's bytes, it copies out every frame.
ReadAvi read(const AviBytes& file, const std::vector<std::uint8_t>* whole) {
    ReadAvi result;
    const Reader r(file);
    try {
        std::size_t firstChunks = 0;
        std::vector<std::uint64_t> indexOffsets;
        std::vector<std::size_t> indexDurations;
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
            }
            const Chunk movi = r.find(top, "LIST", "movi");
            std::vector<FrameChunk> frames;
            const std::vector<Chunk> inMovi = r.children(movi.data + 4, movi.data + movi.size);
            for (const Chunk& chunk : inMovi) {
                if (chunk.id == "00dc") {
                    frames.push_back(FrameChunk{chunk.data, chunk.size});
                    result.frameSizes.push_back(chunk.size);
                    if (whole != nullptr) {
                        const auto first = whole->begin() + static_cast<std::ptrdiff_t>(chunk.data);
                        result.frames.emplace_back(first, first + chunk.size);
                    }
                }
            }
            if (frames.empty()) {
                expect(at == 0, "a further segment without frames");
            } else {
                const Chunk ix = r.find(inMovi, "ix00");
                expect(r.u32(ix.data + 4) == frames.size(), "ix00 entry count");
                const std::uint64_t base = r.u64(ix.data + 12);
                for (std::size_t i = 0; i < frames.size(); ++i) {
                    const std::uint64_t entry = ix.data + 24 + 8 * i;
                    expect(base + r.u32(entry) == frames[i].data,
                           "ix00 offset " + std::to_string(i));
                    const std::uint32_t size = r.u32(entry + 4);
                    expect((size & 0x7FFFFFFFu) == frames[i].size,
                           "ix00 size " + std::to_string(i));
                    result.keyFrames.push_back((size & 0x80000000u) == 0);
                }
                indexOffsets.push_back(ix.data - 8);
                indexDurations.push_back(frames.size());
            }
            if (at == 0) {
                firstChunks = frames.size();
                const Chunk idx1 = r.find(top, "idx1");
                expect(idx1.size == 16 * frames.size(), "idx1 size");
                for (std::size_t i = 0; i < frames.size(); ++i) {
                    const std::uint64_t entry = idx1.data + 16 * i;
                    expect(r.id(entry) == "00dc", "idx1 id");
                    expect((r.u32(entry + 4) == 0x10) == result.keyFrames[i], "idx1 key flag");
                    expect(movi.data + r.u32(entry + 8) + 8 == frames[i].data, "idx1 offset");
                    expect(r.u32(entry + 12) == frames[i].size, "idx1 size");
                }
            }
            at = end;
        }
        const std::size_t total = result.frameSizes.size();
        const Chunk avih = r.find(header, "avih");
        expect(r.u32(avih.data + 16) == firstChunks, "avih frames");
        const Chunk strlList = r.find(header, "LIST", "strl");
        const std::vector<Chunk> strl =
            r.children(strlList.data + 4, strlList.data + strlList.size);
        expect(r.u32(r.find(strl, "strh").data + 32) == total, "strh length");
        const Chunk indx = r.find(strl, "indx");
        expect(r.u32(indx.data + 4) == indexOffsets.size(), "indx entries");
        for (std::size_t i = 0; i < indexOffsets.size(); ++i) {
            const std::uint64_t entry = indx.data + 24 + 16 * i;
            expect(r.u64(entry) == indexOffsets[i], "indx offset " + std::to_string(i));
            expect(r.u32(entry + 12) == indexDurations[i], "indx duration " + std::to_string(i));
        }
        const Chunk odmlList = r.find(header, "LIST", "odml");
        const std::vector<Chunk> odml =
            r.children(odmlList.data + 4, odmlList.data + odmlList.size);
        expect(r.u32(r.find(odml, "dmlh").data) == total, "dmlh frames");
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

} // namespace avitest
