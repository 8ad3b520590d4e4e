#pragma once
// One page of the board properties sheet over its copy of a part of the configuration: how the page's
// table of fields is shown in its controls and read back from them, whatever the page.

#include "PageControls.h"
#include "PageTables.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace ruva {

class Prompts;

class BrdPropertyPageModel {
public:
    virtual ~BrdPropertyPageModel() = default;

    // The page's fields in the order the page shows them.
    virtual std::span<const FieldControl> Fields() const = 0;
    virtual std::span<const LiPageButtonControl> Buttons() const { return {}; }

    // Shows the page's copy in its controls.
    void LoadControls(PageControls& controls) const;
    // Stores the controls into the page's copy. The Number and Address fields are checked first, in
    // table order; the first one that is refused shows its message, gets the focus, and the result is
    // false with the copy unchanged.
    bool StoreControls(PageControls& controls, Prompts& prompts);

    // A page button: replaces the page's copy and shows it.
    virtual void Press(LiPageButton button, PageControls& controls);

protected:
    // The value of the field at `field` in Fields(): a code, a flag, a number or the bits, as the
    // field's kind says.
    virtual std::int64_t Get(std::size_t field) const = 0;
    // Stores a value into the field, cut to the field's width.
    virtual void Set(std::size_t field, std::int64_t value) = 0;
};

} // namespace ruva
