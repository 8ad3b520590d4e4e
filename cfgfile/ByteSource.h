#pragma once
// Where the lexer's bytes come from: a file read in large blocks, or text held in memory. The lexer
// asks for one block at a time, never for single bytes.

#include <cstddef>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>

namespace ruva {

class Sha256;

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // The next block of input: empty at the end of the input, nullopt on a read error. The block
    // stays valid until the next call.
    virtual std::optional<std::span<const unsigned char>> NextBlock() = 0;
};

// Text held in memory, handed out as one block.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view text) : text_(text) {}
    std::optional<std::span<const unsigned char>> NextBlock() override;

private:
    std::string_view text_;
    bool given_ = false;
};

// An open file read through a fixed buffer; the caller keeps the file open and closes it.
class FileSource : public ByteSource {
public:
    static constexpr std::size_t BufferSize = 64 * 1024;

    explicit FileSource(std::FILE* file);
    std::optional<std::span<const unsigned char>> NextBlock() override;
    // Why the last block could not be read; none while the reading goes well.
    std::error_code Error() const { return error_; }

private:
    std::FILE* file_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::error_code error_;
};

// Passes another source's blocks on and gives each to a hash as well, so that the hash is of exactly
// the bytes parsed.
class DigestingSource : public ByteSource {
public:
    DigestingSource(ByteSource& source, Sha256& digest) : source_(source), digest_(digest) {}
    std::optional<std::span<const unsigned char>> NextBlock() override;

private:
    ByteSource& source_;
    Sha256& digest_;
};

} // namespace ruva
