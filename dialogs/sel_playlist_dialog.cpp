#include "dialogs/sel_playlist_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabBar>
#include <QTreeWidget>
#include <QWindow>

#include <cmath>

#include "common/qt_application.h"
#include "dialogs/check_playlist_dialog.h"
#include "dialogs/tick_header_view.h"
#include "dialogs/twips_window.h"
#include "failsafe/procedure.h"
#include "failsafe/runtime_error.h"

namespace lumo::dialogs {
namespace {

namespace layout = selection_layout;
using layout::ToolbarControl;

QString qt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QPointer<SelPlaylistDialog>& processWindow() {
    static QPointer<SelPlaylistDialog> window;
    return window;
}

}  // namespace

SelPlaylistDialog::SelPlaylistDialog(frmSelPlaylist& dialog, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      dialog_(dialog) {
    setObjectName(QStringLiteral("frmSelPlaylist"));
    // The twips design was made for an 8-point dialog font; larger ones cut
    // the captions of the fixed-width toolbar controls.
    QFont designFont = font();
    if (designFont.pointSizeF() > 8) designFont.setPointSizeF(8);
    setFont(designFont);
    buildWidgets();
    resize(twipsToPixels(layout::clientWidth, logicalDpiX()), twipsToPixels(layout::clientHeight, logicalDpiY()));

    layout::PlatformMetrics metrics;
    metrics.separatorWidth =
        pixelsToTwips(style()->pixelMetric(QStyle::PM_ToolBarSeparatorExtent, nullptr, toolbar_), logicalDpiX());
    metrics.buttonTop = (layout::toolbarHeight - layout::controlHeight) / 2;
    metrics.tabStripHeight = pixelsToTwips(tabBar_->sizeHint().height(), logicalDpiY());
    dialog_.setPlatformMetrics(metrics);
    dialog_.attachWindow(this);
    if (!dialog_.loaded()) dialog_.Form_Load();
    if (!dialog_.playlistCheckAvailable())
        dialog_.setPlaylistCheck([&dialog = dialog_] { showCheckWindow(dialog); });

    placeToolbarControls();
    connectWidgets();
    sync();
}

SelPlaylistDialog::~SelPlaylistDialog() { dialog_.attachWindow(nullptr); }

void SelPlaylistDialog::buildWidgets() {
    toolbar_ = new QWidget(this);
    toolbar_->setObjectName(QStringLiteral("tlbPlaylists"));
    ok_ = new QPushButton(QStringLiteral("OK"), toolbar_);
    ok_->setObjectName(QStringLiteral("cmdOK"));
    cancel_ = new QPushButton(QStringLiteral("Cancel"), toolbar_);
    cancel_->setObjectName(QStringLiteral("cmdCancel"));
    refresh_ = new QPushButton(QStringLiteral(" Refresh CD ROMS"), toolbar_);
    refresh_->setObjectName(QStringLiteral("cmdRefreshCDROMS"));
    more_ = new QPushButton(QStringLiteral("Check..."), toolbar_);
    more_->setObjectName(QStringLiteral("cmdMore"));
    shuffle_ = new QCheckBox(QStringLiteral("Use Shuffle Mode"), toolbar_);
    shuffle_->setObjectName(QStringLiteral("chkShuffleMode"));
    // Neither Enter nor Escape is bound to a button.
    for (QPushButton* button : {ok_, cancel_, refresh_, more_}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    tab_ = new QWidget(this);
    tab_->setObjectName(QStringLiteral("tabPlaylists"));
    tabBar_ = new QTabBar(tab_);
    tabBar_->setObjectName(QStringLiteral("tabPlaylistsStrip"));
    for (const char* caption : {"Standard", "Auto", "CD ROMS"}) tabBar_->addTab(QString::fromLatin1(caption));
    tabBar_->setExpanding(false);

    static constexpr const char* names[] = {"lvStandard", "lvAuto", "lvCDROMS"};
    for (int32_t tab = 0; tab < 3; ++tab) {
        auto* list = new QTreeWidget(tab_);
        list->setObjectName(QString::fromLatin1(names[tab]));
        if (tab == frmSelPlaylist::tabCdroms) {
            cdHeader_ = new TickHeaderView(
                [this](int section) {
                    const auto& columns = dialog_.lvCDROMS().columns;
                    return section >= 0 && section < static_cast<int>(columns.size()) ? columns[section].image : -1;
                },
                list);
            list->setHeader(cdHeader_);
        }
        list->setRootIsDecorated(false);
        list->setUniformRowHeights(true);
        list->setAllColumnsShowFocus(true);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setSortingEnabled(false);
        list->header()->setSectionsClickable(true);
        list->header()->setStretchLastSection(false);
        list->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        QStringList labels;
        for (const ColumnHeader& column : dialog_.list(tab).columns) labels << qt(column.text);
        list->setHeaderLabels(labels);
        lists_[tab] = list;
    }

    menuMore_ = new QMenu(QStringLiteral("More..."), this);
    menuMore_->setObjectName(QStringLiteral("menuMore"));
    playlistReport_ = menuMore_->addAction(QStringLiteral("Playlist..."));
    playlistReport_->setObjectName(QStringLiteral("menuMorePlaylistReport"));
    menuMore_->addSeparator()->setObjectName(QStringLiteral("menuMoreBreak"));
    wmpVersion_ = menuMore_->addAction(QStringLiteral("WMP Version"));
    wmpVersion_->setObjectName(QStringLiteral("menuMoreShowWMPVersion"));

    setTabOrder(ok_, tabBar_);
    setTabOrder(tabBar_, cancel_);
    setTabOrder(cancel_, lists_[frmSelPlaylist::tabStandard]);
    setTabOrder(lists_[frmSelPlaylist::tabStandard], lists_[frmSelPlaylist::tabCdroms]);
    setTabOrder(lists_[frmSelPlaylist::tabCdroms], lists_[frmSelPlaylist::tabAuto]);
    setTabOrder(lists_[frmSelPlaylist::tabAuto], refresh_);
    setTabOrder(refresh_, shuffle_);
    setTabOrder(shuffle_, more_);
}

void SelPlaylistDialog::connectWidgets() {
    connect(ok_, &QPushButton::clicked, this, [this] {
        dialog_.cmdOK_Click();
        hideWhenDone();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        dialog_.cmdCancel_Click();
        hideWhenDone();
    });
    connect(refresh_, &QPushButton::clicked, this, [this] {
        dialog_.cmdRefreshCDROMS_Click();
        sync();
    });
    connect(more_, &QPushButton::clicked, this, [this] {
        failsafe::Procedure proc("frmSelPlaylist", "Sub cmdMore_Click");
        proc.step([&] { menuMore_->popup(QCursor::pos()); });
    });
    connect(shuffle_, &QCheckBox::toggled, this, [this](bool ticked) { dialog_.setShuffleTicked(ticked); });
    connect(tabBar_, &QTabBar::currentChanged, this, [this](int tab) {
        dialog_.tabPlaylists_Click(tab);
        sync();
    });
    for (int32_t tab = 0; tab < 3; ++tab) {
        QTreeWidget* list = lists_[tab];
        connect(list, &QTreeWidget::itemSelectionChanged, this, [this, tab, list] {
            const QList<QTreeWidgetItem*> selected = list->selectedItems();
            const int32_t row = selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.front());
            if (tab == frmSelPlaylist::tabCdroms && row >= 0) dialog_.lvCDROMS_ItemClick(row);
            else dialog_.selectRow(tab, row);
            sync();
        });
    }
    connect(cdHeader_, &QHeaderView::sectionClicked, this, [this](int section) {
        dialog_.lvCDROMS_ColumnClick(section);
        sync();
    });
    connect(playlistReport_, &QAction::triggered, this, [this] {
        dialog_.menuMorePlaylistReport_Click();
        sync();
    });
    connect(wmpVersion_, &QAction::triggered, this, [this] {
        dialog_.menuMoreShowWMPVersion_Click();
        sync();
    });
}

void SelPlaylistDialog::placeToolbarControls() {
    const layout::Toolbar& toolbar = dialog_.toolbar();
    const std::array<std::pair<ToolbarControl, QWidget*>, 5> controls{{
        {ToolbarControl::OK, ok_},
        {ToolbarControl::Cancel, cancel_},
        {ToolbarControl::RefreshCDROMS, refresh_},
        {ToolbarControl::More, more_},
        {ToolbarControl::ShuffleMode, shuffle_},
    }};
    for (const auto& [which, widget] : controls) widget->setGeometry(pixels(toolbar.control(which)));
}

void SelPlaylistDialog::sync() {
    setWindowTitle(qt(dialog_.caption()));
    ok_->setEnabled(dialog_.okEnabled());
    refresh_->setEnabled(dialog_.refreshEnabled());
    playlistReport_->setEnabled(dialog_.playlistCheckAvailable());
    {
        const QSignalBlocker blocker(shuffle_);
        shuffle_->setChecked(dialog_.shuffleTicked());
    }
    {
        const QSignalBlocker blocker(tabBar_);
        tabBar_->setCurrentIndex(dialog_.currentTab());
    }
    for (int32_t tab = 0; tab < 3; ++tab) syncList(tab);
    for (int32_t tab = 0; tab < 3; ++tab) lists_[tab]->setVisible(tab == dialog_.frontList());
    lists_[dialog_.frontList()]->raise();
    applyLayout();
    cdHeader_->viewport()->update();
}

void SelPlaylistDialog::syncList(int32_t tab) {
    QTreeWidget* list = lists_[tab];
    const ListViewState& state = dialog_.list(tab);
    const QSignalBlocker blocker(list);
    if (shownRevision_[tab] != state.rowsRevision) {
        list->clear();
        QList<QTreeWidgetItem*> items;
        items.reserve(static_cast<qsizetype>(state.rows.size()));
        for (const ListRow& row : state.rows) {
            auto* item = new QTreeWidgetItem;
            item->setText(0, qt(row.text));
            item->setData(0, Qt::UserRole, qt(row.key));
            for (size_t i = 0; i < row.subItems.size(); ++i) item->setText(static_cast<int>(i + 1), qt(row.subItems[i]));
            items.append(item);
        }
        list->addTopLevelItems(items);
        shownRevision_[tab] = state.rowsRevision;
    }
    QTreeWidgetItem* selected = state.selectedIndex >= 0 ? list->topLevelItem(state.selectedIndex) : nullptr;
    if (selected) {
        list->setCurrentItem(selected);
    } else {
        list->clearSelection();
    }
}

void SelPlaylistDialog::applyLayout() {
    const layout::Controls& controls = dialog_.controls();
    toolbar_->setGeometry(0, 0, width(), twipsToPixels(layout::toolbarHeight, logicalDpiY()));
    tab_->setGeometry(pixels(controls.tab));
    tabBar_->setGeometry(0, 0, tab_->width(), tabBar_->sizeHint().height());
    for (QTreeWidget* list : lists_) list->setGeometry(pixels(controls.list));
}

void SelPlaylistDialog::applyColumnWidths() {
    for (int32_t tab = 0; tab < 3; ++tab) {
        const auto& columns = dialog_.list(tab).columns;
        for (size_t i = 0; i < columns.size(); ++i)
            lists_[tab]->header()->resizeSection(
                static_cast<int>(i), twipsToPixels(static_cast<int32_t>(std::lround(columns[i].width)), logicalDpiX()));
    }
    columnsApplied_ = true;
}

void SelPlaylistDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    dialog_.Form_Resize({0, 0, pixelsToTwips(width(), logicalDpiX()), pixelsToTwips(height(), logicalDpiY())});
    applyLayout();
    if (!columnsApplied_ && dialog_.columnsSized()) applyColumnWidths();
}

void SelPlaylistDialog::hideWhenDone() {
    sync();
    if (!dialog_.visible() && isVisible()) done(QDialog::Accepted);
}

void SelPlaylistDialog::showModally() {
    dialog_.Show();
    // Activated once shown, when the window system has told the frame's
    // size: the saved rectangle is the outer one.
    setWindowModality(Qt::ApplicationModal);
    show();
    dialog_.Form_Activate();
    sync();
    exec();
}

void SelPlaylistDialog::closeEvent(QCloseEvent* event) {
    // The window system delivers the close box as a spontaneous event; a
    // close() from code is not.
    if (dialog_.Form_QueryUnload(event->spontaneous() ? UnloadMode::ControlMenu : UnloadMode::FromCode)) {
        event->ignore();
        hideWhenDone();
        return;
    }
    QDialog::closeEvent(event);
}

void SelPlaylistDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QRect SelPlaylistDialog::pixels(const TwipsRect& rect) const {
    return designPixels(*this, rect.left, rect.top, rect.width, rect.height);
}

double SelPlaylistDialog::Left() const { return outerTwips(*this).left; }
double SelPlaylistDialog::Top() const { return outerTwips(*this).top; }
double SelPlaylistDialog::Width() const { return outerTwips(*this).width; }
double SelPlaylistDialog::Height() const { return outerTwips(*this).height; }

void SelPlaylistDialog::Move(double left, double top, double width, double height) {
    moveOuterTwips(*this, left, top, width, height);
}

SelectionResult showSelectionWindow() {
    failsafe::Procedure proc("frmSelPlaylist", "Function Show");
    frmSelPlaylist& dialog = SelPlaylist();
    proc.step([&] { dialog.setCancelled(VFalse); });
    if (common::windowsCanBeAnswered()) {
        proc.step([&] {
            QPointer<SelPlaylistDialog>& window = processWindow();
            if (!window) window = new SelPlaylistDialog(dialog);
            window->showModally();
        });
    } else {
        proc.step([&] { dialog.answerWithoutDisplay(); });
    }
    SelectionResult result;
    proc.step([&] {
        result.playListType = dialog.PlayListType();
        result.selectedPlaylist = dialog.SelectedPlaylist();
        result.howToIDDisk = dialog.HowToIDDisk();
        result.serialNumber = dialog.SerialNumber();
        result.volumeName = dialog.VolumeName();
        result.shuffleMode = dialog.ShuffleMode();
        result.driveLetter = dialog.DriveLetter();
        result.cancelled = dialog.Cancelled();
    });
    return result;
}

void releaseSelectionWindow() { delete processWindow().data(); }

}  // namespace lumo::dialogs
