#include "history/Compression.h"

#include <zstd.h>

#include <memory>
#include <vector>

#include "util/OpenFile.h"

namespace pernard {

namespace {

// zstd's fastest level: a copy is made only where no link can be, while the user waits on a
// save, and bookmark files shrink to a fifth or less at it all the same.
constexpr int kLevel = 1;

struct CompressorFree {
    void operator()(ZSTD_CCtx* context) const { ZSTD_freeCCtx(context); }
};
struct DecompressorFree {
    void operator()(ZSTD_DCtx* context) const { ZSTD_freeDCtx(context); }
};

std::unique_ptr<ZSTD_CCtx, CompressorFree> NewCompressor() {
    std::unique_ptr<ZSTD_CCtx, CompressorFree> context(ZSTD_createCCtx());
    if (context) {
        ZSTD_CCtx_setParameter(context.get(), ZSTD_c_compressionLevel, kLevel);
        ZSTD_CCtx_setParameter(context.get(), ZSTD_c_checksumFlag, 1);
    }
    return context;
}

OpenFile OpenForWriting(const std::string& path) {
#ifdef _WIN32
    // Below the user's profile, which other users cannot enter.
    return OpenFile(_wfopen(WidePath(path).c_str(), L"wb"));
#else
    // Made owner-only from the start: the copy holds the user's bookmarks.
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) return {};
    return OpenFile(::fdopen(descriptor, "wb"));
#endif
}

}  // namespace

std::string Compress(std::string_view bytes) {
    auto context = NewCompressor();
    std::string out(ZSTD_compressBound(bytes.size()), '\0');
    const std::size_t size =
        context ? ZSTD_compress2(context.get(), out.data(), out.size(), bytes.data(), bytes.size())
                : 0;
    out.resize(ZSTD_isError(size) ? 0 : size);
    return out;
}

bool CompressFile(const std::string& from, const std::string& to) {
    OpenFile in = OpenForReading(from);
    if (!in) return false;
    OpenFile out = OpenForWriting(to);
    if (!out) return false;
    auto context = NewCompressor();
    if (!context) return false;
    std::vector<char> inBuffer(ZSTD_CStreamInSize());
    std::vector<char> outBuffer(ZSTD_CStreamOutSize());
    bool ok = true;
    for (bool last = false; ok && !last;) {
        const std::size_t read = std::fread(inBuffer.data(), 1, inBuffer.size(), in.get());
        if (std::ferror(in.get())) return false;
        last = read < inBuffer.size();
        const ZSTD_EndDirective mode = last ? ZSTD_e_end : ZSTD_e_continue;
        ZSTD_inBuffer input{inBuffer.data(), read, 0};
        for (bool done = false; ok && !done;) {
            ZSTD_outBuffer output{outBuffer.data(), outBuffer.size(), 0};
            const std::size_t left = ZSTD_compressStream2(context.get(), &output, &input, mode);
            ok = !ZSTD_isError(left) &&
                 std::fwrite(outBuffer.data(), 1, output.pos, out.get()) == output.pos;
            done = last ? left == 0 : input.pos == input.size;
        }
    }
    return ok && std::fflush(out.get()) == 0 && !std::ferror(out.get());
}

std::optional<std::string> DecompressFile(const std::string& path, std::uint64_t limit) {
    OpenFile in = OpenForReading(path);
    if (!in) return std::nullopt;
    std::unique_ptr<ZSTD_DCtx, DecompressorFree> context(ZSTD_createDCtx());
    if (!context) return std::nullopt;
    std::vector<char> inBuffer(ZSTD_DStreamInSize());
    std::vector<char> outBuffer(ZSTD_DStreamOutSize());
    std::string content;
    std::size_t left = 1;  // nonzero while a frame is unfinished
    bool any = false;
    for (;;) {
        const std::size_t read = std::fread(inBuffer.data(), 1, inBuffer.size(), in.get());
        if (std::ferror(in.get())) return std::nullopt;
        if (read == 0) break;
        any = true;
        ZSTD_inBuffer input{inBuffer.data(), read, 0};
        // Until the piece read is used up and nothing more waits to come out.
        for (bool full = true; input.pos < input.size || full;) {
            ZSTD_outBuffer output{outBuffer.data(), outBuffer.size(), 0};
            left = ZSTD_decompressStream(context.get(), &output, &input);
            // A checksum that does not hold is an error here too.
            if (ZSTD_isError(left)) return std::nullopt;
            if (content.size() + output.pos > limit) return std::nullopt;
            content.append(outBuffer.data(), output.pos);
            full = output.pos == output.size;
        }
    }
    if (!any || left != 0) return std::nullopt;
    return content;
}

}  // namespace pernard
