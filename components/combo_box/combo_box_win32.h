// The combo box: a system COMBOBOX of one of three types with items, item
// values and a selection; a selection the user makes raises event 0 once it
// is in place.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "components/combo_box/combo_box_data.h"
#include "components/common/standard_control_win32.h"
#include "components/common/text_selection_win32.h"

namespace components {

// Posted to itself on CBN_SELENDOK: the new selection is in place when it arrives.
constexpr UINT kSelectionMadeMessage = 0xA711;

class ComboBox : public StandardControl {
public:
    static rt::ComponentObject* Create(const rt::CreateParameters& parameters);
    static rt::PropertyList Properties();

    int SetProperty(int ownIndex, const rt::PropertyValue& value);
    bool GetProperty(int ownIndex, rt::PropertyValue* value) const;
    std::vector<uint8_t> AllData() const;

private:
    ComboBox(const rt::CreateParameters& parameters, ComboBoxData data);
    bool Build(const rt::CreateParameters& parameters);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(WPARAM wParam);
    LRESULT OnColour(HDC dc);

    bool HasEditField() const;
    void ApplyFontAndItemHeight();
    void AddItems(const std::vector<std::string>& items, const std::vector<uint32_t>& values);
    void ReplaceItems(const std::vector<std::string>& items);
    void SetItemValues(const std::vector<uint32_t>& values);
    // Clamped to −1 .. count − 1; raises nothing.
    void SelectItem(int index);
    int SelectedItem() const;
    std::vector<std::string> Items() const;
    std::vector<uint32_t> ItemValues() const;
    ByteSelection EditSelection() const;
    std::string SelectedEditText() const;
    void SelectEdit(int start, int length);
    void KeepTextStartInView();

    ComboBoxData data_;  // the stored properties; text, items and selections live in the control
    SolidBrush background_;
    int programChanges_ = 0;  // while above 0 a list selection is the program's own
};

}  // namespace components
