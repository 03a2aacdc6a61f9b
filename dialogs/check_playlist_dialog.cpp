#include "dialogs/check_playlist_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <cmath>

#include "common/qt_application.h"
#include "dialogs/sel_playlist.h"
#include "dialogs/twips.h"
#include "dialogs/twips_window.h"
#include "failsafe/procedure.h"
#include "failsafe/runtime_error.h"

namespace lumo::dialogs {
namespace {

namespace layout = report::layout;

QString qt(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

CheckPlaylistDialog::CheckPlaylistDialog(report::frmCheckPL& check, SelectionSource selection, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      check_(check),
      selection_(std::move(selection)) {
    setObjectName(QStringLiteral("frmCheckPL"));
    QFont designFont = font();
    if (designFont.pointSizeF() > 8) designFont.setPointSizeF(8);
    setFont(designFont);
    buildWidgets();
    resize(twipsToPixels(layout::clientWidth, logicalDpiX()), twipsToPixels(layout::clientHeight, logicalDpiY()));

    layout::PlatformMetrics metrics;
    metrics.separatorWidth =
        pixelsToTwips(style()->pixelMetric(QStyle::PM_ToolBarSeparatorExtent, nullptr, toolbar_), logicalDpiX());
    metrics.buttonTop = (layout::toolbarHeight - layout::cmdDone.height) / 2;
    metrics.twipsPerPixel = twipsPerInch / logicalDpiX();
    check_.Form_Load(metrics);
    check_.setRefresh([this](bool now) { sync(now); });
    connect(done_, &QPushButton::clicked, this, [this] {
        if (check_.cmdDone_Click()) close();
        else sync();
    });
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &CheckPlaylistDialog::focusMoved);
    sync();
}

CheckPlaylistDialog::~CheckPlaylistDialog() { check_.setRefresh({}); }

void CheckPlaylistDialog::buildWidgets() {
    toolbar_ = new QWidget(this);
    toolbar_->setObjectName(QStringLiteral("tlbCheck"));
    done_ = new QPushButton(QStringLiteral("Done"), toolbar_);
    done_->setObjectName(QStringLiteral("cmdDone"));
    done_->setAutoDefault(false);
    pb_ = new QProgressBar(toolbar_);
    pb_->setObjectName(QStringLiteral("pb"));
    pb_->setTextVisible(false);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("lvPL"));
    list_->setHeaderLabels({QStringLiteral("Media Item"), QStringLiteral("Type"), QStringLiteral("Source URL")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->header()->setStretchLastSection(false);

    sb_ = new QStatusBar(this);
    sb_->setObjectName(QStringLiteral("sb"));
    sb_->setSizeGripEnabled(false);
    static constexpr const char* keys[] = {"status", "number_of_audio_items", "total_duration"};
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(sb_);
        panels_[i]->setObjectName(QString::fromLatin1(keys[i]));
        panels_[i]->setFrameShape(QFrame::Panel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        sb_->addWidget(panels_[i]);
    }
}

void CheckPlaylistDialog::sync(bool now) {
    const qint64 at = QDateTime::currentMSecsSinceEpoch();
    if (!now && at - lastSync_ < 100) return;
    lastSync_ = at;
    setWindowTitle(qt(check_.caption()));
    done_->setText(qt(check_.doneCaption()));
    pb_->setRange(0, std::max(check_.pbMax(), 0));
    pb_->setValue(std::clamp(check_.pbValue(), 0, std::max(check_.pbMax(), 0)));
    for (int i = 0; i < 3; ++i) panels_[i]->setText(qt(check_.panels()[static_cast<size_t>(i)]));
    syncRows();
}

// Only the rows added since the last showing, and the last shown one, whose
// type and source may have come in since.
void CheckPlaylistDialog::syncRows() {
    const auto& rows = check_.rows();
    if (shownGeneration_ != check_.rowsGeneration()) {
        list_->clear();
        shownRows_ = 0;
        shownGeneration_ = check_.rowsGeneration();
    }
    auto fill = [](QTreeWidgetItem* item, const report::ReportRow& row) {
        item->setText(0, qt(row.mediaItem));
        item->setText(1, qt(row.type));
        item->setText(2, qt(row.sourceUrl));
    };
    if (shownRows_ > 0) fill(list_->topLevelItem(shownRows_ - 1), rows[static_cast<size_t>(shownRows_ - 1)]);
    QList<QTreeWidgetItem*> added;
    for (size_t i = static_cast<size_t>(shownRows_); i < rows.size(); ++i) {
        auto* item = new QTreeWidgetItem;
        fill(item, rows[i]);
        added.append(item);
    }
    if (!added.isEmpty()) {
        list_->addTopLevelItems(added);
        shownRows_ = static_cast<int>(rows.size());
        list_->scrollToItem(added.back());
    }
    if (check_.selectedRow() >= 0 && check_.selectedRow() < shownRows_) {
        QTreeWidgetItem* selected = list_->topLevelItem(check_.selectedRow());
        list_->setCurrentItem(selected);
        list_->scrollToItem(selected);
    }
}

void CheckPlaylistDialog::applyLayout() {
    const layout::Controls& c = check_.controls();
    toolbar_->setGeometry(0, 0, width(), twipsToPixels(layout::toolbarHeight, logicalDpiY()));
    done_->setGeometry(pixels(c.cmdDone));
    pb_->setGeometry(pixels(c.pb));
    list_->setGeometry(pixels(c.lvPL));
    sb_->setGeometry(pixels(c.sb));
    for (int i = 0; i < 3; ++i) {
        list_->header()->resizeSection(i, twipsToPixels(static_cast<int32_t>(std::lround(c.columnWidths[i])), logicalDpiX()));
        panels_[i]->setFixedWidth(twipsToPixels(static_cast<int32_t>(std::lround(c.panelWidths[i])), logicalDpiX()));
    }
}

void CheckPlaylistDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    check_.Form_Resize({0, 0, pixelsToTwips(width(), logicalDpiX()), pixelsToTwips(height(), logicalDpiY())});
    applyLayout();
}

void CheckPlaylistDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    common::RestoreFormSettings(*this);
    // Some window systems never activate a window without a window manager;
    // the first showing runs the report all the same.
    QTimer::singleShot(0, this, [this] { runReport(); });
}

void CheckPlaylistDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow()) return;
    if (otherWindowInFront_) {
        otherWindowInFront_ = false;
        runDue_ = true;
    }
    if (runDue_) QTimer::singleShot(0, this, [this] { runReport(); });
}

// A message box of the run itself coming and going is no new activation;
// another window of the program in front is.
void CheckPlaylistDialog::focusMoved(QWindow* window) {
    if (!window || window == windowHandle() || !isVisible()) return;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->windowHandle() == window && !qobject_cast<QMessageBox*>(widget)) otherWindowInFront_ = true;
}

void CheckPlaylistDialog::runReport() {
    if (!runDue_ || check_.running() || !isVisible()) return;
    runDue_ = false;
    check_.DoReport(selection_());
    sync();
    if (closeAfterRun_) close();
}

void CheckPlaylistDialog::closeEvent(QCloseEvent* event) {
    if (check_.running()) {
        check_.setStopRequested(true);
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    failsafe::Procedure proc("frmCheckPL", "Sub Form_Unload");
    proc.step([&] { common::SaveFormSettings(*this); });
    QDialog::closeEvent(event);
}

void CheckPlaylistDialog::keyPressEvent(QKeyEvent* event) {
    // Escape closes through closeEvent, like the close box, never by hiding.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

QRect CheckPlaylistDialog::pixels(const layout::Rect& rect) const {
    return designPixels(*this, rect.left, rect.top, rect.width, rect.height);
}

double CheckPlaylistDialog::Left() const { return outerTwips(*this).left; }
double CheckPlaylistDialog::Top() const { return outerTwips(*this).top; }
double CheckPlaylistDialog::Width() const { return outerTwips(*this).width; }
double CheckPlaylistDialog::Height() const { return outerTwips(*this).height; }

void CheckPlaylistDialog::Move(double left, double top, double width, double height) {
    moveOuterTwips(*this, left, top, width, height);
}

report::Selection checkSelectionOf(const frmSelPlaylist& dialog) {
    report::Selection selection;
    selection.tab = dialog.currentTab();
    if (const ListRow* row = dialog.lvStandard().selected()) selection.standard = row->text;
    if (const ListRow* row = dialog.lvAuto().selected()) selection.autoPl = row->text;
    if (const ListRow* row = dialog.lvCDROMS().selected()) selection.cdDrive = row->text;
    return selection;
}

void showCheckWindow(const frmSelPlaylist& dialog) {
    if (!common::windowsCanBeAnswered()) return;
    QWidget* parent = QApplication::activeModalWidget();
    CheckPlaylistDialog window(report::CheckPL(), [&dialog] { return checkSelectionOf(dialog); }, parent);
    window.setWindowModality(Qt::ApplicationModal);
    window.exec();
}

}  // namespace lumo::dialogs
