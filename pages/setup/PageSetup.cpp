#include "PageSetup.h"

#include "PortLists.h"
#include "devices/pos_ad.h"
#include "framework/Seams.h"
#include "settings/Settings.h"

#include <cstdlib>
#include <iterator>

// What choosing a machine model does to the form: whether the printer, drawer and alarm controls
// may be changed, and what goes into the port and rate fields (an empty printer baud selects none).
struct ModelPreset {
    MachineModel model;
    const char* name;
    bool editable;
    const char* scalePort;
    const char* scaleBaud;
    const char* printerPort;
    const char* printerBaud;
    DrawerControl drawer;
};

namespace {

constexpr ModelPreset kPresets[] = {
    {MachineModel::RX720, "RX720", true, "COM4", "115200", "COM1", "115200", DrawerControl::MainBoard},
    {MachineModel::RX520, "RX520", false, "COM3", "115200", "LPT1", "", DrawerControl::Printer},
    {MachineModel::Veyla, "Veyla", false, "COM3", "115200", "USB", "", DrawerControl::Printer},
};

// The list's index is what the file stores as the model.
constexpr bool InModelOrder()
{
    for (size_t i = 0; i < std::size(kPresets); ++i) {
        if (kPresets[i].model != static_cast<MachineModel>(i))
            return false;
    }
    return std::size(kPresets) == static_cast<size_t>(MachineModel::Veyla) + 1;
}
static_assert(InModelOrder(), "one preset per model, in the order of MachineModel");

const char* const kSoftwareTypes[] = {"Quillo软件", "Morvane软件", "其他"};
const char* const kDensities[] = {"单8点", "双8点", "单24点", "双24点"};
const char* const kBoards[] = {"J1900", "J1900D", "I3/I5"};

const char* const kOtherSoftware = kSoftwareTypes[2];
const int kOtherSoftwareValue = 99;

// The entry a stored index selects in a list of count entries, or fallback when it names none.
int EntryOf(int stored, size_t count, int fallback)
{
    return stored >= 0 && static_cast<size_t>(stored) < count ? stored : fallback;
}

// Empties a list and adds the entries to it.
template <typename Entries> CComboBox Filled(const CComboBox& list, const Entries& entries)
{
    list.ResetContent();
    for (const auto& entry : entries)
        list.AddString(entry);
    return list;
}

// The text of the selected entry, empty when nothing is selected.
std::string SelectedText(const CComboBox& combo)
{
    const int index = combo.GetCurSel();
    return index < 0 ? std::string() : combo.GetLBText(index);
}

// A number typed or chosen in the form: leading digits, as atoi reads them, but held at the
// ends of the int range; the C runtime's atoi wraps a long run of digits into another number.
int NumberIn(const std::string& text)
{
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

} // namespace

// The message map, one line a control, as laid out by hand.
// clang-format off
bool CPageSetup::OnCommand(int id, int notifyCode)
{
    if (id == IDC_SETUP_SAVE && notifyCode == BN_CLICKED)           { OnBnClickedSave(); return true; }
    if (id == IDC_SETUP_LOGFILE && notifyCode == BN_CLICKED)        { OnBnClickedLogFile(); return true; }
    if (id == IDC_SETUP_MODEL && notifyCode == CBN_SELCHANGE)       { OnCbnSelchangeModel(); return true; }
    if (id == IDC_SETUP_DRAWER_BOARD && notifyCode == BN_CLICKED)   { OnBnClickedDrawerControl(); return true; }
    if (id == IDC_SETUP_DRAWER_PRINTER && notifyCode == BN_CLICKED) { OnBnClickedDrawerControl(); return true; }
    return CDialogEx::OnCommand(id, notifyCode);
}
// clang-format on

BOOL CPageSetup::OnInitDialog()
{
    CDialogEx::OnInitDialog();
    const Settings& s = g_settings;

    const CComboBox model = Combo(IDC_SETUP_MODEL);
    for (const ModelPreset& preset : kPresets)
        model.AddString(preset.name);
    const int modelIndex = EntryOf(s.machineModel, std::size(kPresets), 0);
    model.SetCurSel(modelIndex);
    ApplyModelRules(kPresets[modelIndex]);

    const CComboBox software = Filled(Combo(IDC_SETUP_SOFTWARE), kSoftwareTypes);
    // 99 ("other") and anything else the list cannot show land on its last entry.
    const int lastSoftware = static_cast<int>(std::size(kSoftwareTypes)) - 1;
    software.SetCurSel(EntryOf(s.softwareType, std::size(kSoftwareTypes), lastSoftware));

    Button(IDC_SETUP_RUNLOG).SetCheck(s.runLog);

    const CComboBox scalePort = Filled(Combo(IDC_SETUP_SCALE_PORT), scalePortList);
    scalePort.SelectExact(s.scalePort);
    // A port the list lacks is still shown, and saved back unchanged.
    scalePort.SetWindowText(s.scalePort);

    Item(IDC_SETUP_SCALE_BAUD).SetWindowText(std::to_string(s.scaleBaud));

    // The stored alarm state wins over what the model rules did to the box above.
    Button(IDC_SETUP_ALARM).SetCheck(s.negativeWeightAlarm);

    Filled(Combo(IDC_SETUP_PRINTER_PORT), printerPortList).SelectExact(s.printerPort);

    const CComboBox printerBaud = Filled(Combo(IDC_SETUP_PRINTER_BAUD), baudRateList);
    printerBaud.SelectExact(std::to_string(s.printerBaud));
    // A parallel port has no baud rate.
    if (s.printerPort == "LPT1")
        printerBaud.SetCurSel(-1);

    Filled(Combo(IDC_SETUP_DENSITY), kDensities).SetCurSel(EntryOf(s.imageDensity, std::size(kDensities), -1));

    Item(IDC_SETUP_LINESPACE).SetWindowText(std::to_string(s.lineSpacing));

    Filled(Combo(IDC_SETUP_BOARD), kBoards).SelectExact(s.boardType);

    // Deliberately leaves the board list's enabling to the model rules until a radio is clicked.
    Button(s.IsDrawerOnBoard() ? IDC_SETUP_DRAWER_BOARD : IDC_SETUP_DRAWER_PRINTER).SetCheck(BST_CHECKED);
    return TRUE;
}

void CPageSetup::ApplyModelRules(const ModelPreset& preset)
{
    // The scale's port and rate belong to the machine; nobody edits them here.
    Item(IDC_SETUP_SCALE_PORT).EnableWindow(false);
    Item(IDC_SETUP_SCALE_BAUD).EnableWindow(false);
    for (int id : {IDC_SETUP_PRINTER_PORT, IDC_SETUP_PRINTER_BAUD, IDC_SETUP_BOARD, IDC_SETUP_DRAWER_BOARD,
             IDC_SETUP_DRAWER_PRINTER})
        Item(id).EnableWindow(preset.editable);

    const CButton alarm = Button(IDC_SETUP_ALARM);
    if (!preset.editable) {
        // These models always raise the alarm, and their printer needs no baud rate.
        alarm.SetCheck(BST_CHECKED);
        Combo(IDC_SETUP_PRINTER_BAUD).SetCurSel(-1);
    }
    alarm.EnableWindow(preset.editable);
}

void CPageSetup::OnCbnSelchangeModel()
{
    const int index = EntryOf(Combo(IDC_SETUP_MODEL).GetCurSel(), std::size(kPresets), -1);
    if (index < 0)
        return;
    const ModelPreset& preset = kPresets[index];
    ApplyModelRules(preset);

    Item(IDC_SETUP_SCALE_PORT).SetWindowText(preset.scalePort);
    Item(IDC_SETUP_SCALE_BAUD).SetWindowText(preset.scaleBaud);
    Combo(IDC_SETUP_PRINTER_PORT).SelectExact(preset.printerPort);
    Combo(IDC_SETUP_PRINTER_BAUD).SelectExact(preset.printerBaud);
    Combo(IDC_SETUP_BOARD).SetCurSel(0);
    // Set directly, without a click, so the board list keeps what the model rules decided.
    const bool byBoard = preset.drawer == DrawerControl::MainBoard;
    Button(IDC_SETUP_DRAWER_BOARD).SetCheck(byBoard ? BST_CHECKED : BST_UNCHECKED);
    Button(IDC_SETUP_DRAWER_PRINTER).SetCheck(byBoard ? BST_UNCHECKED : BST_CHECKED);
}

void CPageSetup::OnBnClickedDrawerControl()
{
    Item(IDC_SETUP_BOARD).EnableWindow(Button(IDC_SETUP_DRAWER_BOARD).GetCheck() == BST_CHECKED);
}

void CPageSetup::OnBnClickedSave()
{
    Settings& s = g_settings;
    const CComboBox software = Combo(IDC_SETUP_SOFTWARE);
    // The list always shows a model; should it ever show none, the stored one stays.
    if (const int model = Combo(IDC_SETUP_MODEL).GetCurSel(); model >= 0)
        s.machineModel = model;
    s.softwareType = SelectedText(software) == kOtherSoftware ? kOtherSoftwareValue : software.GetCurSel();
    s.scalePort = Item(IDC_SETUP_SCALE_PORT).GetWindowText();
    s.scaleBaud = NumberIn(Item(IDC_SETUP_SCALE_BAUD).GetWindowText());
    s.negativeWeightAlarm = Button(IDC_SETUP_ALARM).GetCheck();
    s.printerPort = SelectedText(Combo(IDC_SETUP_PRINTER_PORT));
    s.printerBaud = NumberIn(SelectedText(Combo(IDC_SETUP_PRINTER_BAUD)));
    s.imageDensity = Combo(IDC_SETUP_DENSITY).GetCurSel();
    s.lineSpacing = NumberIn(Item(IDC_SETUP_LINESPACE).GetWindowText());
    s.drawerControl = static_cast<int>(
        Button(IDC_SETUP_DRAWER_BOARD).GetCheck() == BST_CHECKED ? DrawerControl::MainBoard : DrawerControl::Printer);
    s.boardType = SelectedText(Combo(IDC_SETUP_BOARD));
    s.runLog = Button(IDC_SETUP_RUNLOG).GetCheck();

    const bool saved = saveSettings(s);
    // The library keeps its printer connection with the settings it read when opening it;
    // closing it makes the next print read the file again, whichever way the save went.
    ClosePrinterEx();

    // A failed save leaves the form as the user filled it, so nothing is lost by trying again.
    if (saved)
        ShowMessageBox(m_hWnd, "保存配置信息成功!", "提示", MB_OK | MB_ICONEXCLAMATION);
    else
        ShowMessageBox(m_hWnd, "保存配置信息失败!\n无法写入文件：" + s.iniPath, "提示", MB_OK | MB_ICONEXCLAMATION);
}

void CPageSetup::OnBnClickedLogFile()
{
    // Whether the folder exists is the shell's business; the page reports nothing.
    ShellOpen(nullptr, "explore", keys::kLogFolder, SW_SHOW);
}
