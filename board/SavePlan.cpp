#include "SavePlan.h"

#include "AuditTrail.h"
#include "ConfigDifferences.h"
#include "Driver.h"
#include "Fields.h"
#include "ValueSets.h"

#include <algorithm>

namespace ruva {

namespace {

// The lines of writing image `after` over image `before`: the header words, then every setting.
std::vector<std::string> ImageLines(const ImageBytes& before, const ImageBytes& after) {
    BoardConfig first, second;
    first.Image = StoredConfig::fromBytes(before);
    second.Image = StoredConfig::fromBytes(after);
    return ChangeLines(first, second);
}

std::string HdlcLine(std::uint32_t before, std::uint32_t after) {
    return ChangeLine(HdlcStartAddressSetting.Key, FormatFieldNumber(NumberStyle::Hex, before),
                      FormatFieldNumber(NumberStyle::Hex, after));
}

bool SameClock(std::int16_t a, std::int16_t b) {
    return ClockRequestFor(a) == ClockRequestFor(b);
}

ChangePlace Place(bool on) {
    return on ? ChangePlace::OnBoard : ChangePlace::NotOnBoard;
}

} // namespace

std::vector<BoardWrite> SavePlan::Writes() const {
    std::vector<BoardWrite> writes;
    if (Info)
        writes.emplace_back(*Info);
    if (Clock)
        writes.emplace_back(ClockSelection{*Clock});
    if (Image)
        writes.emplace_back(*Image);
    return writes;
}

std::vector<std::string> SavePlan::Lines() const {
    std::vector<std::string> lines;
    for (const PlannedChange& change : Changes)
        lines.push_back(change.Line);
    return lines;
}

SavePlan PlanSave(const BoardSnapshot& board, const BoardConfig& config) {
    SavePlan plan;
    const std::uint32_t hdlc = config.General.HdlcStartAddress;
    if (board.Info.HdlcStartAddress != hdlc) {
        plan.Info = board.Info; // the rest of the record as read
        plan.Info->HdlcStartAddress = hdlc;
        plan.Changes.push_back({HdlcLine(board.Info.HdlcStartAddress, hdlc), ChangeCarrier::BoardInfo});
    }

    StoredConfig image = config.Image;
    image.Version = StoredConfig::CurrentVersion;
    const ImageBytes wanted = image.toBytes();
    const ImageBytes& onBoard = board.Image;
    if (wanted != onBoard) {
        plan.Image = wanted;
        if (!board.ImageRead) {
            plan.Changes.push_back(
                {ChangeLine("Image", "unreadable", "written whole"), ChangeCarrier::WholeImage});
        } else {
            const std::string clockPrefix = std::string(GeneralSetting<&BoardConfig::Image, &StoredConfig::ClockSource>().Key) + ": ";
            std::vector<std::string> lines = ImageLines(onBoard, wanted);
            for (std::string& line : lines) {
                const bool clock = line.starts_with(clockPrefix);
                plan.Changes.push_back(
                    {std::move(line), clock ? ChangeCarrier::ClockSource : ChangeCarrier::ImageField});
            }
            // Bytes that no setting names still count.
            if (lines.empty())
                plan.Changes.push_back(
                    {ChangeLine("Image", "other bytes", "rewritten"), ChangeCarrier::WholeImage});
        }
    }
    // A save that failed after selecting the clock may have left it apart from the stored image.
    if (board.ClockUnsure)
        plan.Changes.push_back({ChangeLine("Clock", "unknown", WordText(ClockSourceCode, image.ClockSource)),
                                ChangeCarrier::Clock});
    // Without the board's image its clock source is unknown, so the clock is selected.
    const bool clockDiffers =
        !board.ImageRead || StoredConfig::fromBytes(onBoard).ClockSource != image.ClockSource;
    if ((plan.Image && clockDiffers) || board.ClockUnsure)
        if (ClockSourceCode.Find(image.ClockSource) != nullptr)
            plan.Clock = image.ClockSource;
    return plan;
}

ChangePlace PlaceOf(const SavePlan& plan, const PlannedChange& change, const BoardSnapshot& before,
                    const BoardFound& after) {
    // The board's clock: where it is after the save, compared with the plan's clock source.
    const auto clockAt = [&](std::int16_t wanted) -> std::optional<bool> {
        if (!after.ClockTouched)
            return false;
        if (!after.Clock)
            return std::nullopt;
        return SameClock(*after.Clock, wanted);
    };
    const auto inImage = [&]() -> std::optional<bool> {
        if (!after.Image)
            return std::nullopt;
        const std::vector<std::string> lines = ImageLines(before.Image, *after.Image);
        return std::find(lines.begin(), lines.end(), change.Line) != lines.end();
    };
    std::optional<bool> on;
    switch (change.Carrier) {
    case ChangeCarrier::BoardInfo:
        if (after.Info)
            on = HdlcLine(before.Info.HdlcStartAddress, after.Info->HdlcStartAddress) == change.Line;
        break;
    case ChangeCarrier::ImageField:
        on = inImage();
        break;
    case ChangeCarrier::WholeImage:
        if (after.Image)
            on = after.Image == plan.Image;
        break;
    case ChangeCarrier::Clock:
        on = clockAt(plan.Clock.value_or(-1));
        break;
    case ChangeCarrier::ClockSource: {
        // On the board when the stored image or the board's clock has it; not when neither has.
        const std::optional<bool> image = inImage();
        const std::int16_t wanted = StoredConfig::fromBytes(plan.Image.value_or(ImageBytes{})).ClockSource;
        const std::optional<bool> clock = clockAt(wanted);
        if (image == true || clock == true)
            on = true;
        else if (image == false && clock == false)
            on = false;
        break;
    }
    }
    return on ? Place(*on) : ChangePlace::Unknown;
}

std::vector<std::string> UnplannedChanges(const SavePlan& plan, const BoardSnapshot& before,
                                          const BoardFound& after) {
    std::vector<std::string> lines;
    if (!before.ImageRead || !after.Image)
        return lines;
    const std::vector<std::string> planned = plan.Lines();
    for (std::string& line : ImageLines(before.Image, *after.Image))
        if (std::find(planned.begin(), planned.end(), line) == planned.end())
            lines.push_back(std::move(line));
    return lines;
}

} // namespace ruva
