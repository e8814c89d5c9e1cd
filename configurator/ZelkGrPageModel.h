#pragma once

// The rules of one configurator page, apart from its window: the page's
// values, what each of its controls shows (items, selection, check state,
// enabled state), what the user's actions change, and saving.  A dialog
// adapter (ZelkGrPropertyPage) pushes the controls' states into the real
// controls and forwards the notifications here.
#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace zelk {

struct ZelkComboItem {
    std::string label;
    DWORD data;
};

// What one control shows.
struct ZelkControlState {
    enum class Kind { Combo, CheckBox, UpDown };
    Kind kind = Kind::Combo;
    bool enabled = false;
    // Combo: the items in order and the selected position (-1: none).
    std::vector<ZelkComboItem> items;
    int selected = -1;
    // Check box.
    bool checked = false;
    // Up-down control: range and position.
    int lower = 0;
    int upper = 0;
    int position = 0;

    // The selected item's label, or an empty string.
    std::string SelectedLabel() const;
};

class ZelkGrPageModel {
public:
    ZelkGrPageModel() = default;
    ZelkGrPageModel(const ZelkGrPageModel&) = delete;
    ZelkGrPageModel& operator=(const ZelkGrPageModel&) = delete;
    virtual ~ZelkGrPageModel();

    // The page's dialog template.
    virtual int DialogId() const = 0;
    // The page's window has been created: show every control.
    virtual void InitDialog() = 0;
    // The page is about to be shown; false refuses the activation.
    virtual bool SetActive() = 0;
    // The user picked the item with this data in a combo box.
    virtual void ComboChanged(int id, DWORD data);
    // The user clicked a check box; checked is its new state.
    virtual void CheckClicked(int id, bool checked);
    // The user pressed "Default".
    virtual void DefaultClicked() = 0;
    // An up-down control's position, handed in before SaveSettings.
    virtual void UpDownPosition(int id, int position);
    // Writes the page's values; false keeps the sheet open on the page.
    virtual bool SaveSettings() = 0;

    // Every control the page drives, by id.
    const std::map<int, ZelkControlState>& Controls() const { return controls_; }
    // One control's state; throws std::out_of_range for an unknown id.
    const ZelkControlState& Control(int id) const { return controls_.at(id); }
    bool HasControl(int id) const { return controls_.count(id) != 0; }
    // The ids shown anew since the last call, which the adapter pushes.
    std::set<int> TakeChanged();

protected:
    // A control's state to be rewritten; marks it as shown anew.
    ZelkControlState& Show(int id, ZelkControlState::Kind kind);
    // Shortcuts for the usual shapes.
    void ShowCombo(int id, std::vector<ZelkComboItem> items, int selected, bool enabled);
    void ShowCheck(int id, bool checked, bool enabled);
    // Keeps a combo's recorded selection in step with the user's pick.
    void NoteSelection(int id, DWORD data);

private:
    std::map<int, ZelkControlState> controls_;
    std::set<int> changed_;
};

// Position of the first item whose label is exactly the text, or -1.
int FindExactLabel(const std::vector<ZelkComboItem>& items, const std::string& label);

}  // namespace zelk
