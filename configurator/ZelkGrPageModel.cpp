#include "configurator/ZelkGrPageModel.h"

#include <utility>

namespace zelk {

std::string ZelkControlState::SelectedLabel() const
{
    if (selected < 0 || static_cast<size_t>(selected) >= items.size()) {
        return std::string();
    }
    return items[static_cast<size_t>(selected)].label;
}

ZelkGrPageModel::~ZelkGrPageModel() = default;

void ZelkGrPageModel::ComboChanged(int, DWORD) {}

void ZelkGrPageModel::CheckClicked(int, bool) {}

void ZelkGrPageModel::UpDownPosition(int, int) {}

std::set<int> ZelkGrPageModel::TakeChanged()
{
    std::set<int> changed;
    changed.swap(changed_);
    return changed;
}

ZelkControlState& ZelkGrPageModel::Show(int id, ZelkControlState::Kind kind)
{
    changed_.insert(id);
    ZelkControlState& state = controls_[id];
    state = ZelkControlState();
    state.kind = kind;
    return state;
}

void ZelkGrPageModel::ShowCombo(int id, std::vector<ZelkComboItem> items, int selected, bool enabled)
{
    ZelkControlState& state = Show(id, ZelkControlState::Kind::Combo);
    state.items = std::move(items);
    state.selected = selected;
    state.enabled = enabled;
}

void ZelkGrPageModel::ShowCheck(int id, bool checked, bool enabled)
{
    ZelkControlState& state = Show(id, ZelkControlState::Kind::CheckBox);
    state.checked = checked;
    state.enabled = enabled;
}

void ZelkGrPageModel::NoteSelection(int id, DWORD data)
{
    auto found = controls_.find(id);
    if (found == controls_.end()) {
        return;
    }
    ZelkControlState& state = found->second;
    for (size_t i = 0; i < state.items.size(); ++i) {
        if (state.items[i].data == data) {
            state.selected = static_cast<int>(i);
            return;
        }
    }
}

int FindExactLabel(const std::vector<ZelkComboItem>& items, const std::string& label)
{
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].label == label) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace zelk
