#pragma once
// The board properties sheet: an E1 Mode and a T1 Mode page for each line interface and a General page,
// each editing its own copy of a part of the configuration. A page shows its copy when it becomes active
// and stores its controls back when it stops being active; only OK copies the copies back.
//
// A front end drives the sheet through these calls and binds each page to its controls (PageControls):
// it shows the sheet, reports which page becomes active or stops being active, reports control changes
// and button presses, and asks Apply and OK.

#include "BoardConfig.h"
#include "PageControls.h"

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace ruva {

class Prompts;

// The buttons of the E1 Mode and T1 Mode pages (the General page has none).
enum class LiPageButton { CopyFromOtherLi, DefaultValues };

struct LiPageButtonControl {
    LiPageButton Id;
    std::string_view Name;  // the button's name in the page's form, e.g. "CopyFromOtherLi"
    std::string_view Label; // e.g. "Co&py From Other Li"
};

// One page of the sheet over its copy.
class PageModel {
public:
    virtual ~PageModel() = default;

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
    // The field's value: a code, a flag, a number or the bits, as the field table's kind says.
    virtual std::int64_t Get(std::size_t field) const = 0;
    // Stores a value into the field, cut to the field's width.
    virtual void Set(std::size_t field, std::int64_t value) = 0;
};

// The E1 Mode (Block = E1Settings) or T1 Mode (T1Settings) page of one line interface.
template <typename Block>
class LiPageModel : public PageModel {
public:
    // The copies of both line interfaces live in `copies`, shared with the other line interface's page.
    LiPageModel(StoredConfig& copies, int li);

    int LineInterface() const { return li_; }
    Block& Settings();
    const Block& Settings() const;

    std::span<const FieldControl> Fields() const override;
    std::span<const LiPageButtonControl> Buttons() const override;
    // "Copy From Other Li" takes the other line interface's copy as that page last stored it (or as the
    // sheet gave it); "Default Values" the block's defaults.
    void Press(LiPageButton button, PageControls& controls) override;

protected:
    std::int64_t Get(std::size_t field) const override;
    void Set(std::size_t field, std::int64_t value) override;

private:
    StoredConfig& copies_;
    int li_;
};

using E1PageModel = LiPageModel<E1Settings>;
using T1PageModel = LiPageModel<T1Settings>;
extern template class LiPageModel<E1Settings>;
extern template class LiPageModel<T1Settings>;

// The General page: clock source, HDLC controller start address and the default mode of each line
// interface.
class GeneralPageModel : public PageModel {
public:
    explicit GeneralPageModel(GeneralSettings& copy) : copy_(copy) {}

    GeneralSettings& Settings() { return copy_; }
    const GeneralSettings& Settings() const { return copy_; }

    std::span<const FieldControl> Fields() const override;

protected:
    std::int64_t Get(std::size_t field) const override;
    void Set(std::size_t field, std::int64_t value) override;

private:
    GeneralSettings& copy_;
};

class BoardPropertiesModel {
public:
    // Pages in tab order.
    enum PageIndex { Li0E1, Li0T1, Li1E1, Li1T1, General, PageCount };

    // Copies `config`'s General settings and the E1 and T1 blocks of both line interfaces into the pages;
    // the first page is active and the sheet is unchanged. Messages go through `prompts`.
    BoardPropertiesModel(const BoardConfig& config, Prompts& prompts);
    BoardPropertiesModel(const BoardPropertiesModel&) = delete;
    BoardPropertiesModel& operator=(const BoardPropertiesModel&) = delete;

    // "Ruva-2 Properties".
    static std::string_view Caption();
    // "Li0 (E1 mode)", "Li0 (T1 mode)", "Li1 (E1 mode)", "Li1 (T1 mode)", "General".
    static std::string PageCaption(int index);

    PageModel& Page(int index) const;
    E1PageModel& E1Page(int li) const;
    T1PageModel& T1Page(int li) const;
    GeneralPageModel& GeneralPage() const;

    // Copies the pages' copies into `config`: General and the E1 and T1 blocks of each `Li` entry of the
    // image. Nothing else of the image changes.
    void CopyBack(BoardConfig& config) const;

    int ActivePage() const { return active_; }
    // Whether something changed since the sheet opened or since the last Apply (Apply is enabled).
    bool IsChanged() const { return changed_; }
    // Every change of a control marks the sheet as changed.
    void ControlChanged() { changed_ = true; }

    // Page `index` becomes the active page and shows its copy in `controls`.
    void Enter(int index, PageControls& controls);
    // The active page stops being active: it stores `controls`. False when an entry was refused; the
    // page then stays active.
    bool Leave(PageControls& controls);
    // Apply: stores the active page's controls and clears the changed state; nothing reaches the
    // configuration before OK. False when an entry was refused.
    bool Apply(PageControls& controls);
    // OK: stores the active page's controls. True when the sheet may close and its copies be copied back.
    bool Accept(PageControls& controls);
    // A button of page `index`, whose controls are `controls`; marks the sheet as changed.
    void Press(int index, LiPageButton button, PageControls& controls);

private:
    BoardConfig copies_;
    Prompts& prompts_;
    std::array<std::unique_ptr<PageModel>, PageCount> pages_;
    int active_ = 0;
    bool changed_ = false;
};

// Edit Properties: opens the sheet on copies of `config` through `run`, which shows it modally and says
// whether it ended with OK. Only then are the copies copied back into `config` and the result is true;
// Cancel or the close box (even after Apply) leave `config` as it was.
bool EditProperties(BoardConfig& config, Prompts& prompts,
                    const std::function<bool(BoardPropertiesModel&)>& run);

} // namespace ruva
