#include "dialogs/prompt_for_disc_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>

#include "common/qt_application.h"
#include "failsafe/procedure.h"

namespace lumo::dialogs {

DiscPromptDialog::DiscPromptDialog(frmPromptForDisc& prompt, QWidget* parent)
    : QDialog(parent), prompt_(prompt), list_(new QListWidget(this)), ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)), statusBar_(new QStatusBar(this)) {
    setWindowTitle(QString::fromUtf8(frmPromptForDisc::caption.data(), frmPromptForDisc::caption.size()));
    list_->setObjectName(QStringLiteral("lstCDROMS"));
    ok_->setObjectName(QStringLiteral("cmdOK"));
    cancel_->setObjectName(QStringLiteral("cmdCancel"));
    statusBar_->setObjectName(QStringLiteral("sb1"));

    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Enter clicks no button; Escape is swallowed in keyPressEvent.
    for (QPushButton* button : {ok_, cancel_}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    statusBar_->setFocusPolicy(Qt::NoFocus);
    statusBar_->addWidget(new QLabel(statusBar_), 1);
    setTabOrder(list_, ok_);
    setTabOrder(ok_, cancel_);

    list_->setGeometry(pixels(frmPromptForDisc::lstCDROMS));
    ok_->setGeometry(pixels(frmPromptForDisc::cmdOK));
    cancel_->setGeometry(pixels(frmPromptForDisc::cmdCancel));
    statusBar_->setGeometry(pixels(frmPromptForDisc::sb1));
    resize(twipsToPixels(frmPromptForDisc::clientWidth, logicalDpiX()),
           twipsToPixels(frmPromptForDisc::clientHeight, logicalDpiY()));

    prompt_.Form_Load();
    for (const std::string& entry : prompt_.entries()) list_->addItem(QString::fromStdString(entry));
    ok_->setEnabled(prompt_.okEnabled());

    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = list_->selectedItems();
        prompt_.setListIndex(selected.isEmpty() ? -1 : list_->row(selected.front()));
    });
    connect(ok_, &QPushButton::clicked, this, [this] {
        prompt_.cmdOK_Click();
        closeWhenUnloaded();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        prompt_.cmdCancel_Click();
        closeWhenUnloaded();
    });
}

DiscPromptDialog::~DiscPromptDialog() {
    // Gone without a close event (the host ended the event loop): nobody
    // answered, so nothing changes, but the prompt is unloaded.
    if (prompt_.loaded()) prompt_.Form_QueryUnload(UnloadMode::FromCode);
}

void DiscPromptDialog::closeWhenUnloaded() {
    if (!prompt_.loaded()) done(prompt_.PromptResult());
}

QRect DiscPromptDialog::pixels(const TwipsRect& rect) const {
    return {twipsToPixels(rect.left, logicalDpiX()), twipsToPixels(rect.top, logicalDpiY()),
            twipsToPixels(rect.width, logicalDpiX()), twipsToPixels(rect.height, logicalDpiY())};
}

void DiscPromptDialog::closeEvent(QCloseEvent* event) {
    // The window system delivers the close box as a spontaneous event; a
    // close() from code is not. Either way the window closes.
    if (prompt_.loaded())
        prompt_.Form_QueryUnload(event->spontaneous() ? UnloadMode::ControlMenu : UnloadMode::FromCode);
    QDialog::closeEvent(event);
}

void DiscPromptDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();  // no Cancel button: Escape does nothing
        return;
    }
    QDialog::keyPressEvent(event);
}

void DiscPromptDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int32_t statusBarHeight = twipsToPixels(frmPromptForDisc::sb1.height, logicalDpiY());
    statusBar_->setGeometry(0, height() - statusBarHeight, width(), statusBarHeight);
    statusBar_->raise();
    const ListPlacement placement = prompt_.Form_Resize(pixelsToTwips(frameGeometry().height(), logicalDpiY()),
                                                        frmPromptForDisc::sb1.height);
    list_->setGeometry(list_->x(), twipsToPixels(placement.top, logicalDpiY()), list_->width(),
                       twipsToPixels(placement.height, logicalDpiY()));
}

int32_t showDiscPrompt() {
    failsafe::Procedure proc("frmPromptForDisc", "Function Show");
    frmPromptForDisc& prompt = PromptForDisc();
    if (!common::windowsCanBeAnswered()) {
        prompt.answerWithoutDisplay();
        return prompt.PromptResult();
    }
    proc.step([&] {
        DiscPromptDialog dialog(prompt, QApplication::activeWindow());
        dialog.exec();
    });
    return prompt.PromptResult();
}

}  // namespace lumo::dialogs
