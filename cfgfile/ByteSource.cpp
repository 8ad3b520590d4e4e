#include "ByteSource.h"

#include "Sha256.h"

#include <cerrno>

namespace ruva {

std::optional<std::span<const unsigned char>> MemorySource::NextBlock() {
    if (given_)
        return std::span<const unsigned char>{};
    given_ = true;
    return std::span<const unsigned char>(reinterpret_cast<const unsigned char*>(text_.data()), text_.size());
}

FileSource::FileSource(std::FILE* file) : file_(file), buffer_(new unsigned char[BufferSize]) {
    // Our own buffer is the only one: the stream's buffer would copy every byte once more.
    std::setvbuf(file_, nullptr, _IONBF, 0);
}

std::optional<std::span<const unsigned char>> FileSource::NextBlock() {
    errno = 0;
    const std::size_t n = std::fread(buffer_.get(), 1, BufferSize, file_);
    if (n == 0 && std::ferror(file_)) {
        error_ = {errno != 0 ? errno : EIO, std::generic_category()};
        return std::nullopt;
    }
    return std::span<const unsigned char>(buffer_.get(), n);
}

std::optional<std::span<const unsigned char>> DigestingSource::NextBlock() {
    auto block = source_.NextBlock();
    if (block)
        digest_.Update(*block);
    return block;
}

} // namespace ruva
