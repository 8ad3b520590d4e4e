#include "OBrdPropertyPgLi.h"

#include "QtText.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace ruva {

namespace {

template <typename Block>
struct BlockKind;

template <>
struct BlockKind<E1Settings> {
    static constexpr LiBlock Kind = LiBlock::E1;
    static std::span<const E1Field> Fields() { return E1Fields(); }
    static void SetDefaults(E1Settings& block) { SetE1Defaults(block); }
    static E1Settings& Of(LineInterfaceSettings& li) { return li.E1; }
};

template <>
struct BlockKind<T1Settings> {
    static constexpr LiBlock Kind = LiBlock::T1;
    static std::span<const T1Field> Fields() { return T1Fields(); }
    static void SetDefaults(T1Settings& block) { SetT1Defaults(block); }
    static T1Settings& Of(LineInterfaceSettings& li) { return li.T1; }
};

} // namespace

template <typename Block>
OBrdPropertyPgLi<Block>::OBrdPropertyPgLi(StoredConfig& copies, int li, Prompts& prompts, QWidget* parent)
    : OBrdPropertyPage(parent), copies_(copies), li_(li == 1 ? 1 : 0), prompts_(prompts) {}

template <typename Block>
Block& OBrdPropertyPgLi<Block>::Settings() {
    return BlockKind<Block>::Of(copies_.Li[static_cast<std::size_t>(li_)]);
}

template <typename Block>
void OBrdPropertyPgLi<Block>::BindControls(QAbstractButton& copyFromOtherLi, QAbstractButton& defaultValues) {
    for (const FieldInfo<Block>& field : BlockKind<Block>::Fields()) {
        Control control;
        control.Field = &field;
        QWidget* widget = findChild<QWidget*>(ToQString(field.Key));
        control.List = qobject_cast<QComboBox*>(widget);
        control.Check = qobject_cast<QCheckBox*>(widget);
        control.Edit = qobject_cast<QLineEdit*>(widget);
        if (control.List)
            FillList(*control.List, *field.Values);
        else if (!widget)
            control.Bits = BitBoxes(*this, field.Key);
        Q_ASSERT(control.List || control.Check || control.Edit || !control.Bits.Empty());
        controls_.push_back(std::move(control));
    }
    GiveTextRoom(copyFromOtherLi);
    GiveTextRoom(defaultValues);
    connect(&copyFromOtherLi, &QAbstractButton::clicked, this, &OBrdPropertyPgLi::CopyFromOtherLi);
    connect(&defaultValues, &QAbstractButton::clicked, this, &OBrdPropertyPgLi::SetDefaultValues);
    WatchChanges();
}

template <typename Block>
void OBrdPropertyPgLi<Block>::LoadControls() {
    const Block& block = Settings();
    for (const Control& control : controls_) {
        const std::int64_t value = control.Field->Get(block);
        if (control.List)
            ShowCode(*control.List, *control.Field->Values, static_cast<int>(value));
        else if (control.Check)
            ShowFlag(*control.Check, static_cast<int>(value));
        else if (control.Edit)
            control.Edit->setText(QString::number(value));
        else
            control.Bits.Show(static_cast<std::uint32_t>(value));
    }
}

template <typename Block>
bool OBrdPropertyPgLi<Block>::StoreControls() {
    // Every edit field is checked, in the page's order, before anything is stored.
    std::vector<std::uint32_t> numbers;
    for (const Control& control : controls_) {
        if (!control.Edit)
            continue;
        const auto number = ReadNumber(*control.Edit, control.Field->Max, prompts_);
        if (!number)
            return false;
        numbers.push_back(*number);
    }

    Block& block = Settings();
    auto number = numbers.begin();
    for (const Control& control : controls_) {
        const FieldInfo<Block>& field = *control.Field;
        std::optional<std::int64_t> value;
        if (control.List)
            value = SelectedCode(*control.List, *field.Values);
        else if (control.Check)
            value = FlagValue(*control.Check);
        else if (control.Edit)
            value = *number++;
        else
            value = control.Bits.Value(static_cast<std::uint32_t>(field.Get(block)));
        if (value)
            field.Set(block, *value);
    }
    return true;
}

template <typename Block>
void OBrdPropertyPgLi<Block>::CopyFromOtherLi() {
    CopyOtherLi(copies_, li_, BlockKind<Block>::Kind);
    LoadControls();
    emit Changed();
}

template <typename Block>
void OBrdPropertyPgLi<Block>::SetDefaultValues() {
    BlockKind<Block>::SetDefaults(Settings());
    LoadControls();
    emit Changed();
}

template class OBrdPropertyPgLi<E1Settings>;
template class OBrdPropertyPgLi<T1Settings>;

} // namespace ruva
