#include "gui/BrackenholdView.h"

#include <algorithm>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>
#include <QStyledItemDelegate>
#include <QTimer>

#include "core/base/Settings.h"
#include "core/document/BrackenholdDoc.h"
#include "core/ports/UserInterface.h"
#include "core/view/Columns.h"
#include "core/view/ListFont.h"
#include "core/view/Sorting.h"
#include "gui/MainFrame.h"
#include "gui/ManagerTableModel.h"

namespace bh {
namespace {

constexpr int kFontPoints[] = {10, 15, 20};

// Rows are selected whole, so a focus frame around the one current cell only looks like a
// cell selection; it is left out.
class RowDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain(option);
        plain.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(painter, plain, index);
    }
};

}  // namespace

CBrackenholdView::CBrackenholdView(SettingsStore& settings, UserInterface& ui, CMainFrame& frame,
                                   const Clock& clock, const SystemErrors& errors,
                                   int storedFontPoints, QWidget* parent)
    : QTableView(parent),
      settings_(settings),
      ui_(ui),
      frame_(frame),
      model_(new ManagerTableModel(clock, errors, this)),
      storedFontPoints_(storedFontPoints) {
    setObjectName(QStringLiteral("managerView"));
    setModel(model_);
    setItemDelegate(new RowDelegate(this));
    model_->SetSelectionModel(selectionModel());
    model_->onEnsureVisible = [this](int row) {
        scrollTo(model_->index(row, 0), QAbstractItemView::EnsureVisible);
    };
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* header = horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setMinimumSectionSize(0);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header, &QHeaderView::sectionClicked, this, &CBrackenholdView::SortByColumn);
    connect(model_, &ManagerTableModel::rowsContentChanged, this,
            &CBrackenholdView::ScheduleSummaries);
    connect(model_, &QAbstractItemModel::modelReset, this, &CBrackenholdView::ScheduleSummaries);
    // Which commands are enabled follows the rows and their selection (and the modified
    // flag, which the application reports), through the frame's one path.
    connect(model_, &ManagerTableModel::selectedCountChanged, &frame_,
            &CMainFrame::DocumentStateChanged);
    connect(model_, &QAbstractItemModel::rowsInserted, &frame_, &CMainFrame::DocumentStateChanged);
    connect(model_, &QAbstractItemModel::rowsRemoved, &frame_, &CMainFrame::DocumentStateChanged);
    connect(model_, &QAbstractItemModel::modelReset, &frame_, &CMainFrame::DocumentStateChanged);
    connect(model_, &QAbstractItemModel::layoutChanged, &frame_, &CMainFrame::DocumentStateChanged);
}

CBrackenholdView::~CBrackenholdView() {
    SaveSettings();
}

void CBrackenholdView::SetCoreRules(CoreRules rules) {
    rules_ = std::move(rules);
    std::vector<QString> headers;
    for (int column = 0; column < kColumnCount; ++column)
        headers.push_back(QString::fromStdString(ColumnHeaderText(column)));
    model_->SetHeaders(std::move(headers));
}

void CBrackenholdView::AttachDocument(CBrackenholdDoc& doc) {
    doc_ = &doc;
    doc.onInitialUpdate = [this] { OnInitialUpdate(); };
    doc.rows().SetDateMode(dateMode_);
    model_->Attach(&doc.rows());
}

int CBrackenholdView::dateMode() const {
    return dateMode_;
}

bool CBrackenholdView::grayBar() const {
    return model_->GrayBar();
}

int CBrackenholdView::TextWidth(const QString& text) const {
    return QFontMetrics(listFont_).horizontalAdvance(text);
}

int CBrackenholdView::DefaultColumnWidth(int column) const {
    return bh::DefaultColumnWidth(column, [this](const std::string& text) {
        return TextWidth(QString::fromStdString(text));
    });
}

int CBrackenholdView::ColumnWidth(int column) const {
    return horizontalHeader()->sectionSize(column);
}

int CBrackenholdView::ColumnAtPosition(int position) const {
    return horizontalHeader()->logicalIndex(position);
}

void CBrackenholdView::OnInitialUpdate() {
    if (!columnsBuilt_)
        BuildColumns();
    ApplyBackground();
    RebuildImageList();
    if (onStopAutoBackup)
        onStopAutoBackup();
    for (CColumnState& state : columns_)
        state.sortFlag = 0;
    RefreshSummaries();
}

void CBrackenholdView::BuildColumns() {
    columnsBuilt_ = true;
    // The size is known before the font is made, so the stored widths are not scaled.
    fontPointSize_ = storedFontPoints_;
    SetListFont(fontPointSize_);
    model_->SetGrayBar(ReadSetting(settings_, kSettingGrayBar) != 0);
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
        horizontalHeader()->resizeSection(column, width);
        columns_[static_cast<std::size_t>(column)] = CColumnState{0, column, width != 0};
    }
    ApplyOrder(order);
}

void CBrackenholdView::ApplyOrder(const std::array<int, kColumnCount>& order) {
    // An order that is not a permutation of the columns cannot be shown; it is left alone.
    std::array<bool, kColumnCount> seen{};
    for (int column : order) {
        if (column < 0 || column >= kColumnCount || seen[static_cast<std::size_t>(column)])
            return;
        seen[static_cast<std::size_t>(column)] = true;
    }
    QHeaderView* header = horizontalHeader();
    for (int position = 0; position < kColumnCount; ++position) {
        const int column = order[static_cast<std::size_t>(position)];
        header->moveSection(header->visualIndex(column), position);
    }
}

void CBrackenholdView::ApplyBackground() {
    QPalette colours = palette();
    const bool hasFile = doc_ && !doc_->PathName().empty();
    colours.setColor(QPalette::Base,
                     hasFile ? QColor(Qt::white) : QApplication::palette().color(QPalette::Window));
    setPalette(colours);
}

bool CBrackenholdView::SetListFont(int points) {
    if (points <= 0) {
        ReportListFontFailure(ui_);
        return false;
    }
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(points);
    listFont_ = font;
    setFont(font);
    horizontalHeader()->setFont(font);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 4);
    if (fontPointSize_ > 0 && points != fontPointSize_) {
        QHeaderView* header = horizontalHeader();
        for (int column = 0; column < kColumnCount; ++column)
            header->resizeSection(
                column, ScaleColumnWidth(header->sectionSize(column), points, fontPointSize_));
    }
    fontPointSize_ = points;
    return true;
}

void CBrackenholdView::RebuildImageList() {
    const int size = showIcons_ ? QFontMetrics(listFont_).height() : 1;
    setIconSize(QSize(size, size));
}

void CBrackenholdView::SortByColumn(int column) {
    if (column < 0 || column >= kColumnCount || model_->Count() == 0)
        return;
    CColumnState& state = columns_[static_cast<std::size_t>(column)];
    if (doc_)
        SortDocumentByColumn(*doc_, state);
}

void CBrackenholdView::ToggleColumn(int column) {
    if (column < 0 || column >= kColumnCount)
        return;
    CColumnState& state = columns_[static_cast<std::size_t>(column)];
    state.visible ^= 1;
    int width = 0;
    if (state.visible) {
        width = TextWidth(model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        const QFontMetrics metrics(listFont_);
        for (int row = 0; row < model_->Count(); ++row)
            width = std::max(width, metrics.horizontalAdvance(
                                        QString::fromStdString(model_->CellText(row, column))));
        width = ShownColumnWidth(width);
    }
    horizontalHeader()->resizeSection(column, width);
}

void CBrackenholdView::SetColumnDefaults() {
    std::array<int, kColumnCount> order{};
    for (int column = kColumnCount - 1; column >= 0; --column) {
        order[static_cast<std::size_t>(column)] = column;
        columns_[static_cast<std::size_t>(column)].visible = 1;
        horizontalHeader()->resizeSection(column, DefaultColumnWidth(column));
    }
    ApplyOrder(order);
    viewport()->update();
}

void CBrackenholdView::ChangeFontSize(int sizeIndex) {
    if (sizeIndex < 0 || sizeIndex > 2)
        return;
    frame_.ChangeToolbarSize(sizeIndex);
    SetListFont(kFontPoints[sizeIndex]);
    if (doc_)
        doc_->rows().RemakeAll();
    RebuildImageList();
    viewport()->update();
}

void CBrackenholdView::ToggleGrayBar() {
    model_->SetGrayBar(!model_->GrayBar());
    viewport()->update();
}

void CBrackenholdView::ToggleIcons() {
    showIcons_ = showIcons_ ? 0 : 1;
    if (doc_)
        doc_->rows().RemakeAll();
    RebuildImageList();
}

void CBrackenholdView::SetDateMode(int mode) {
    dateMode_ = mode;
    if (doc_)
        doc_->rows().SetDateMode(mode);
}

void CBrackenholdView::SaveSettings() {
    if (settingsSaved_ || !columnsBuilt_)
        return;
    settingsSaved_ = true;
    WriteSetting(settings_, kSettingFontSize, fontPointSize_);
    WriteSetting(settings_, kSettingGrayBar, model_->GrayBar() ? 1 : 0);
    WriteSetting(settings_, kSettingDateMode, dateMode_);
    if (currentAutoBackupHours)
        autoBackupHours_ = currentAutoBackupHours();
    WriteSetting(settings_, kSettingAutoBackupHours, autoBackupHours_);
    WriteSetting(settings_, kSettingShowIcons, showIcons_);
    for (int column = 0; column < kColumnCount; ++column)
        WriteSetting(settings_, ColumnLayoutSetting(column),
                     PackColumnLayout(ColumnAtPosition(column), ColumnWidth(column)));
}

void CBrackenholdView::ScheduleSummaries() {
    if (summariesQueued_)
        return;
    summariesQueued_ = true;
    QTimer::singleShot(0, this, &CBrackenholdView::RefreshSummaries);
}

void CBrackenholdView::RefreshSummaries() {
    summariesQueued_ = false;
    if (!rules_.summaries || !doc_)
        return;
    summaries_ = rules_.summaries(doc_->rows());
    Q_EMIT summariesChanged();
}

void CBrackenholdView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = frame_.CreateContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void CBrackenholdView::mouseDoubleClickEvent(QMouseEvent* event) {
    frame_.RunCommand(kCmdShowSource);
    QTableView::mouseDoubleClickEvent(event);
}

}  // namespace bh
