#include "gui-win32/Win32ListView.h"

#include <algorithm>

#include "core/base/Settings.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/FileEntry.h"
#include "core/ports/UserInterface.h"
#include "core/view/ListFont.h"
#include "core/view/RowTexts.h"
#include "core/view/Sorting.h"
#include "core/view/Summaries.h"
#include "gui-win32/WideText.h"
#include "gui-win32/Win32Shell.h"

namespace bh {
namespace {

constexpr int kFontPoints[] = {10, 15, 20};
constexpr COLORREF kGrayBarOdd = 0xF0F0F0;
constexpr COLORREF kGrayBarEven = 0xFFFFFF;

}  // namespace

Win32ListView::Win32ListView(SettingsStore& settings, UserInterface& ui, const Clock& clock,
                             const SystemErrors& errors, int storedFontPoints)
    : settings_(settings),
      ui_(ui),
      clock_(clock),
      errors_(errors),
      storedFontPoints_(storedFontPoints) {}

Win32ListView::~Win32ListView() {
    SaveSettings();
    Detach();
    if (font_)
        DeleteObject(font_);
    if (images_)
        ImageList_Destroy(images_);
}

void Win32ListView::Create(HWND parent) {
    list_ = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0,
        0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP |
                                                 LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
    for (int column = 0; column < kColumnCount; ++column) {
        const std::wstring header = Wide(ColumnHeaderText(column));
        LVCOLUMNW info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        info.fmt = LVCFMT_LEFT;
        info.cx = 80;
        info.pszText = const_cast<wchar_t*>(header.c_str());
        info.iSubItem = column;
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&info));
    }
}

void Win32ListView::AttachDocument(CBrackenholdDoc& doc) {
    Detach();
    doc_ = &doc;
    rows_ = &doc.rows();
    doc.onInitialUpdate = [this] { OnInitialUpdate(); };
    rows_->SetDateMode(dateMode_);
    rows_->AddObserver(*this);
    CountChanged();
}

void Win32ListView::Detach() {
    if (rows_)
        rows_->RemoveObserver(*this);
    rows_ = nullptr;
    doc_ = nullptr;
    if (list_)
        SendMessageW(list_, LVM_SETITEMCOUNT, 0, 0);
}

void Win32ListView::OnInitialUpdate() {
    if (!columnsBuilt_)
        BuildColumns();
    ApplyBackground();
    RebuildImageList();
    if (onStopAutoBackup)
        onStopAutoBackup();
    for (CColumnState& state : columns_)
        state.sortFlag = 0;
    CountChanged();
}

void Win32ListView::BuildColumns() {
    columnsBuilt_ = true;
    // The size is known before the font is made, so the stored widths are not scaled.
    fontPointSize_ = storedFontPoints_;
    SetListFont(fontPointSize_);
    grayBar_ = ReadSetting(settings_, kSettingGrayBar) != 0;
    SetDateMode(ReadSetting(settings_, kSettingDateMode));
    autoBackupHours_ = ReadSetting(settings_, kSettingAutoBackupHours);
    showIcons_ = ReadSetting(settings_, kSettingShowIcons);
    std::array<int, kColumnCount> order{};
    for (int column = 0; column < kColumnCount; ++column) {
        const std::int32_t stored =
            ReadSetting(settings_, ColumnLayoutSetting(column),
                        PackColumnLayout(column, DefaultColumnWidth(column)));
        const int width = LayoutWidth(stored);
        order[static_cast<std::size_t>(column)] = LayoutOrder(stored);
        ListView_SetColumnWidth(list_, column, width);
        columns_[static_cast<std::size_t>(column)] = CColumnState{0, column, width != 0};
    }
    ApplyOrder(order);
}

void Win32ListView::ApplyOrder(const std::array<int, kColumnCount>& order) {
    // An order that is not a permutation of the columns cannot be shown; it is left alone.
    std::array<bool, kColumnCount> seen{};
    for (int column : order) {
        if (column < 0 || column >= kColumnCount || seen[static_cast<std::size_t>(column)])
            return;
        seen[static_cast<std::size_t>(column)] = true;
    }
    std::array<int, kColumnCount> copy = order;
    ListView_SetColumnOrderArray(list_, kColumnCount, copy.data());
    InvalidateRect(list_, nullptr, TRUE);
}

void Win32ListView::ApplyBackground() {
    const bool hasFile = doc_ && !doc_->PathName().empty();
    const COLORREF colour = hasFile ? RGB(255, 255, 255) : GetSysColor(COLOR_BTNFACE);
    ListView_SetBkColor(list_, colour);
    ListView_SetTextBkColor(list_, colour);
    InvalidateRect(list_, nullptr, TRUE);
}

int Win32ListView::TextWidth(const std::wstring& text) const {
    return static_cast<int>(
        SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int Win32ListView::DefaultColumnWidth(int column) const {
    return bh::DefaultColumnWidth(
        column, [this](const std::string& text) { return TextWidth(Wide(text)); });
}

int Win32ListView::ColumnWidth(int column) const {
    return ListView_GetColumnWidth(list_, column);
}

int Win32ListView::ColumnAtPosition(int position) const {
    std::array<int, kColumnCount> order{};
    ListView_GetColumnOrderArray(list_, kColumnCount, order.data());
    return position >= 0 && position < kColumnCount ? order[static_cast<std::size_t>(position)]
                                                    : -1;
}

bool Win32ListView::SetListFont(int points) {
    if (points <= 0) {
        ReportListFontFailure(ui_);
        return false;
    }
    const HDC dc = GetDC(list_);
    const int height = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(list_, dc);
    const HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_SWISS, L"Arial");
    if (!font) {
        ReportListFontFailure(ui_);
        return false;
    }
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (font_)
        DeleteObject(font_);
    font_ = font;
    if (fontPointSize_ > 0 && points != fontPointSize_) {
        for (int column = 0; column < kColumnCount; ++column)
            ListView_SetColumnWidth(list_, column,
                                    ScaleColumnWidth(ColumnWidth(column), points, fontPointSize_));
    }
    fontPointSize_ = points;
    return true;
}

void Win32ListView::RebuildImageList() {
    // The row height follows the image list: a one-pixel list lets rows shrink to the font.
    const HDC dc = GetDC(list_);
    const HGDIOBJ old = SelectObject(dc, font_);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(list_, dc);
    const int size = showIcons_ ? std::max<int>(16, metrics.tmHeight) : 1;
    const HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 8, 8);
    ListView_SetImageList(list_, images, LVSIL_SMALL);
    if (images_)
        ImageList_Destroy(images_);
    images_ = images;
    iconIndex_.clear();
    InvalidateRect(list_, nullptr, TRUE);
}

int Win32ListView::IconIndex(const ShellIcon* icon) {
    const auto* shellIcon = dynamic_cast<const Win32ShellIcon*>(icon);
    if (!showIcons_ || !shellIcon)
        return -1;
    const auto found = iconIndex_.find(icon);
    if (found != iconIndex_.end())
        return found->second;
    const int index = ImageList_AddIcon(images_, shellIcon->icon);
    iconIndex_[icon] = index;
    return index;
}

void Win32ListView::CountChanged() {
    const int count = rows_ ? rows_->Count() : 0;
    SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count),
                 LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    InvalidateRect(list_, nullptr, FALSE);
    selectionDirty_ = true;
    QueueRefresh();
}

void Win32ListView::QueueRefresh() {
    if (refreshQueued_)
        return;
    refreshQueued_ = true;
    PostMessageW(GetParent(list_), kMsgRefresh, 0, 0);
}

void Win32ListView::Refresh() {
    refreshQueued_ = false;
    MirrorSelection();
    if (onSummaries && rows_) {
        const Summary summary = ComputeSummary(*rows_);
        onSummaries({PaneText(summary, kPaneFiles), PaneText(summary, kPaneTotalSize),
                     PaneText(summary, kPaneObsolete), PaneText(summary, kPaneProblems)});
    }
    if (onDocumentStateChanged)
        onDocumentStateChanged();
}

void Win32ListView::MirrorSelection() {
    if (!selectionDirty_ || !rows_)
        return;
    selectionDirty_ = false;
    mirroring_ = true;
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    const int selected = rows_->SelectedCount();
    if (selected == rows_->Count() && selected > 0) {
        state.state = LVIS_SELECTED;
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&state));
    } else {
        state.state = 0;
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&state));
        state.state = LVIS_SELECTED;
        for (int row = rows_->NextSelected(-1); row >= 0; row = rows_->NextSelected(row))
            SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&state));
    }
    mirroring_ = false;
}

void Win32ListView::UserSelection(int first, int last, bool selected) {
    if (mirroring_ || !rows_)
        return;
    if (first < 0) {
        first = 0;
        last = rows_->Count() - 1;
    }
    last = std::min(last, rows_->Count() - 1);
    // The core's flags are written at once; the control already shows the change.
    const bool wasDirty = selectionDirty_;
    for (int row = first; row <= last; ++row)
        rows_->SetSelected(row, selected);
    selectionDirty_ = wasDirty;
    QueueRefresh();
}

void Win32ListView::GetDisplayInfo(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (!rows_ || !rows_->IsValidRow(item.iItem))
        return;
    if (item.mask & LVIF_TEXT) {
        cellBuffer_ = Wide(CellText(*rows_, item.iItem, item.iSubItem, clock_, errors_));
        lstrcpynW(item.pszText, cellBuffer_.c_str(), item.cchTextMax);
    }
    if (item.mask & LVIF_IMAGE)
        item.iImage = item.iSubItem == 0 ? IconIndex(rows_->Entry(item.iItem).Icon()) : -1;
    if (item.mask & LVIF_STATE) {
        item.state = rows_->IsSelected(item.iItem) ? LVIS_SELECTED : 0;
        item.stateMask = LVIS_SELECTED;
    }
}

LRESULT Win32ListView::CustomDraw(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: {
            const int row = static_cast<int>(draw.nmcd.dwItemSpec);
            if (!rows_ || !rows_->IsValidRow(row))
                return CDRF_DODEFAULT;
            const CFileEntry& entry = rows_->Entry(row);
            draw.clrText = entry.textColor;
            draw.clrTextBk = grayBar_ ? (row % 2 ? kGrayBarOdd : kGrayBarEven) : entry.backColor;
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

bool Win32ListView::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != list_)
        return false;
    result = 0;
    switch (header.code) {
        case LVN_GETDISPINFOW:
            GetDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
            return true;
        case NM_CUSTOMDRAW:
            result = CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
            return true;
        case LVN_COLUMNCLICK:
            SortByColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
            return true;
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if ((change.uChanged & LVIF_STATE) &&
                ((change.uNewState ^ change.uOldState) & LVIS_SELECTED))
                UserSelection(change.iItem, change.iItem, (change.uNewState & LVIS_SELECTED) != 0);
            return true;
        }
        case LVN_ODSTATECHANGED: {
            const auto& change = reinterpret_cast<const NMLVODSTATECHANGE&>(header);
            if ((change.uNewState ^ change.uOldState) & LVIS_SELECTED)
                UserSelection(change.iFrom, change.iTo, (change.uNewState & LVIS_SELECTED) != 0);
            return true;
        }
        case NM_DBLCLK:
            if (runCommand)
                runCommand(kCmdShowSource);
            return true;
        case NM_RCLICK: {
            POINT point{};
            GetCursorPos(&point);
            if (showContextMenu)
                showContextMenu(point);
            return true;
        }
        default:
            return false;
    }
}

void Win32ListView::SortByColumn(int column) {
    if (column < 0 || column >= kColumnCount || !rows_ || rows_->Count() == 0)
        return;
    if (doc_)
        SortDocumentByColumn(*doc_, columns_[static_cast<std::size_t>(column)]);
}

void Win32ListView::ToggleColumn(int column) {
    if (column < 0 || column >= kColumnCount)
        return;
    CColumnState& state = columns_[static_cast<std::size_t>(column)];
    state.visible ^= 1;
    int width = 0;
    if (state.visible) {
        width = TextWidth(Wide(ColumnHeaderText(column)));
        for (int row = 0; rows_ && row < rows_->Count(); ++row)
            width =
                std::max(width, TextWidth(Wide(CellText(*rows_, row, column, clock_, errors_))));
        width = ShownColumnWidth(width);
    }
    ListView_SetColumnWidth(list_, column, width);
}

void Win32ListView::SetColumnDefaults() {
    std::array<int, kColumnCount> order{};
    for (int column = kColumnCount - 1; column >= 0; --column) {
        order[static_cast<std::size_t>(column)] = column;
        columns_[static_cast<std::size_t>(column)].visible = 1;
        ListView_SetColumnWidth(list_, column, DefaultColumnWidth(column));
    }
    ApplyOrder(order);
}

void Win32ListView::ChangeFontSize(int sizeIndex) {
    if (sizeIndex < 0 || sizeIndex > 2)
        return;
    if (onToolbarSize)
        onToolbarSize(sizeIndex);
    SetListFont(kFontPoints[sizeIndex]);
    if (rows_)
        rows_->RemakeAll();
    RebuildImageList();
}

void Win32ListView::ToggleGrayBar() {
    grayBar_ = !grayBar_;
    InvalidateRect(list_, nullptr, TRUE);
}

void Win32ListView::ToggleIcons() {
    showIcons_ = showIcons_ ? 0 : 1;
    if (rows_)
        rows_->RemakeAll();
    RebuildImageList();
}

void Win32ListView::SetDateMode(int mode) {
    dateMode_ = mode;
    if (rows_)
        rows_->SetDateMode(mode);
}

void Win32ListView::SaveSettings() {
    if (settingsSaved_ || !columnsBuilt_)
        return;
    settingsSaved_ = true;
    WriteSetting(settings_, kSettingFontSize, fontPointSize_);
    WriteSetting(settings_, kSettingGrayBar, grayBar_ ? 1 : 0);
    WriteSetting(settings_, kSettingDateMode, dateMode_);
    if (currentAutoBackupHours)
        autoBackupHours_ = currentAutoBackupHours();
    WriteSetting(settings_, kSettingAutoBackupHours, autoBackupHours_);
    WriteSetting(settings_, kSettingShowIcons, showIcons_);
    for (int column = 0; column < kColumnCount; ++column)
        WriteSetting(settings_, ColumnLayoutSetting(column),
                     PackColumnLayout(ColumnAtPosition(column), ColumnWidth(column)));
}

void Win32ListView::AfterRowsInserted(int, int) {
    CountChanged();
}

void Win32ListView::AfterRowsRemoved(int, int) {
    CountChanged();
}

void Win32ListView::AfterReset() {
    CountChanged();
}

void Win32ListView::AfterReorder() {
    CountChanged();
}

void Win32ListView::OnRowsChanged(int first, int last, int, int) {
    SendMessageW(list_, LVM_REDRAWITEMS, static_cast<WPARAM>(first), last);
    QueueRefresh();
}

void Win32ListView::OnSelectionChanged(int) {
    if (mirroring_)
        return;
    selectionDirty_ = true;
    QueueRefresh();
}

void Win32ListView::OnEnsureVisible(int row) {
    ListView_EnsureVisible(list_, row, FALSE);
}

void Win32ListView::OnListDestroyed() {
    rows_ = nullptr;
    doc_ = nullptr;
}

}  // namespace bh
