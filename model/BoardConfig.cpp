#include "BoardConfig.h"

#include "Bytes.h"
#include "Fields.h"

#include <algorithm>

namespace ruva {

using namespace bytes;

namespace {

// A block's bytes from its catalogue of fields, and back.
template <typename Block>
std::array<std::uint8_t, Block::Size> BlockBytes(const Block& block,
                                                 std::span<const FieldInfo<Block>> fields) {
    std::array<std::uint8_t, Block::Size> b{};
    for (const FieldInfo<Block>& f : fields)
        PutField(b, f.Offset, f.Width, static_cast<std::uint32_t>(f.Get(block)));
    return b;
}

template <typename Block>
Block BlockFromBytes(std::span<const std::uint8_t, Block::Size> b, std::span<const FieldInfo<Block>> fields) {
    Block block;
    for (const FieldInfo<Block>& f : fields)
        f.Set(block, GetField(b, f.Offset, f.Width));
    return block;
}

// The image's header: its version, serial number and clock source, and each line interface's default
// mode ahead of its E1 and T1 blocks.
template <typename Field>
void WalkHeader(StoredConfig& c, Field&& field) {
    field(c.Version, 0);
    field(c.SerialNumber, 2);
    field(c.ClockSource, 4);
    for (std::size_t li = 0; li < 2; ++li)
        field(c.Li[li].DefaultMode, StoredConfig::LiOffset[li]);
}

} // namespace

std::array<std::uint8_t, E1Settings::Size> E1Settings::toBytes() const {
    return BlockBytes(*this, E1Fields());
}

E1Settings E1Settings::fromBytes(std::span<const std::uint8_t, Size> b) {
    return BlockFromBytes(b, E1Fields());
}

std::array<std::uint8_t, T1Settings::Size> T1Settings::toBytes() const {
    return BlockBytes(*this, T1Fields());
}

T1Settings T1Settings::fromBytes(std::span<const std::uint8_t, Size> b) {
    return BlockFromBytes(b, T1Fields());
}

ImageBytes StoredConfig::toBytes() const {
    ImageBytes b = WalkToBytes<Size>(*this, [](StoredConfig& c, auto field) { WalkHeader(c, field); });
    for (std::size_t li = 0; li < 2; ++li) {
        const auto at = b.begin() + static_cast<std::ptrdiff_t>(LiOffset[li]);
        std::ranges::copy(Li[li].E1.toBytes(), at + LineInterfaceSettings::E1Offset);
        std::ranges::copy(Li[li].T1.toBytes(), at + LineInterfaceSettings::T1Offset);
    }
    return b;
}

StoredConfig StoredConfig::fromBytes(std::span<const std::uint8_t, Size> b) {
    StoredConfig c;
    WalkFromBytes(b, c, [](StoredConfig& c, auto field) { WalkHeader(c, field); });
    for (std::size_t li = 0; li < 2; ++li) {
        const auto at = b.subspan(LiOffset[li]);
        c.Li[li].E1 =
            E1Settings::fromBytes(at.subspan(LineInterfaceSettings::E1Offset).first<E1Settings::Size>());
        c.Li[li].T1 =
            T1Settings::fromBytes(at.subspan(LineInterfaceSettings::T1Offset).first<T1Settings::Size>());
    }
    return c;
}

void SetE1Defaults(E1Settings& e1) {
    for (const E1Field& f : E1Fields())
        f.Set(e1, f.Default);
}

void SetT1Defaults(T1Settings& t1) {
    for (const T1Field& f : T1Fields())
        f.Set(t1, f.Default);
}

void CopyOtherLi(StoredConfig& image, int li, LiBlock block) {
    if (li != 0 && li != 1)
        return;
    LineInterfaceSettings& target = image.Li[static_cast<std::size_t>(li)];
    const LineInterfaceSettings& other = image.Li[static_cast<std::size_t>(1 - li)];
    if (block == LiBlock::E1)
        target.E1 = other.E1;
    else
        target.T1 = other.T1;
}

} // namespace ruva
