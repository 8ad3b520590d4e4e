#pragma once
// A save to the board, computed before it is carried out. From what the board was found to hold (its
// snapshot: the board information, the stored image and the mark that its clock may differ) and the
// configuration, PlanSave gives the writes in their fixed order (the board information, the clock
// selection, the image) and the changes they make, named as the records name them. It sends nothing;
// SaveToBoard carries the plan out under the board's hold, and a dry run lists it. After the save,
// PlaceOf tells from what was read back whether each change is on the board.

#include "BoardCheck.h"
#include "BoardConfig.h"
#include "DriverRecords.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ruva {

// What a save finds on the board before its first write.
struct BoardSnapshot {
    BoardInfo Info;
    // The stored image as read into a zero-filled buffer, and whether the read succeeded: a read that
    // failed leaves zeros, which never equal an image of the current version.
    ImageBytes Image{};
    bool ImageRead = false;
    bool ClockUnsure = false; // the board is marked: its clock may differ from its stored clock source
};

// What carries a change to the board, and so where a read-back finds it.
enum class ChangeCarrier {
    BoardInfo,   // the HDLC start address, in the board information
    ImageField,  // a setting or header word of the stored image
    ClockSource, // the image's clock source, which the clock selection also gives the board's clock
    WholeImage,  // the image as a whole: bytes that no setting names, or an image that could not be read
    Clock,       // the board's clock alone, selected again on a marked board
};

struct PlannedChange {
    std::string Line; // "name: old → new"
    ChangeCarrier Carrier = ChangeCarrier::ImageField;
    friend bool operator==(const PlannedChange&, const PlannedChange&) = default;
};

struct SavePlan {
    std::optional<BoardInfo> Info;      // written first: the HDLC start address differs
    std::optional<std::int16_t> Clock;  // then the clock selected, by its clock source code
    std::optional<ImageBytes> Image;    // then the image written, and read back
    std::vector<PlannedChange> Changes; // in that order

    // Nothing to write: the configuration "remains the same".
    bool Empty() const { return !Info && !Clock && !Image; }
    // The writes in order.
    std::vector<BoardWrite> Writes() const;
    std::vector<std::string> Lines() const;
};

// The plan for saving `config`, whose image is written with the current version, to a board found as
// `board`. The clock is selected when its clock source changes, when the board's image could not be
// read (its clock source is unknown) and on a marked board (then even when the images are equal).
SavePlan PlanSave(const BoardSnapshot& board, const BoardConfig& config);

// What the board was found to hold after the save, as far as it is known.
struct BoardFound {
    std::optional<BoardInfo> Info;
    std::optional<ImageBytes> Image;
    // Whether the save sent the board's clock a request, and then the clock source whose request it
    // took last; none when that is unknown (a request that failed may have been carried out).
    bool ClockTouched = false;
    std::optional<std::int16_t> Clock;
};

enum class ChangePlace { OnBoard, NotOnBoard, Unknown };

// Where `change` of `plan`, made from `before`, is once the board has been found as `after`.
ChangePlace PlaceOf(const SavePlan& plan, const PlannedChange& change, const BoardSnapshot& before,
                    const BoardFound& after);

// What the board was found with that no planned change names: the lines of an image that read back
// other than it was written (none when the image before or after is not known).
std::vector<std::string> UnplannedChanges(const SavePlan& plan, const BoardSnapshot& before,
                                          const BoardFound& after);

} // namespace ruva
