#include "failsafe/window/error_window_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

namespace lumo::failsafe::window {
namespace {

QString text(std::string_view value) { return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())); }

// List rows keep the report's tabs; a list shows them as blanks.
QString row(const std::string& value) { return text(value).replace('\t', "    "); }

// A group box reads "&" as a mnemonic; "Call Tree & Arguments" means it.
QGroupBox* captioned(int page) {
    auto* box = new QGroupBox(text(ErrorWindowState::pageCaption(page)).replace('&', "&&"));
    box->setLayout(new QVBoxLayout);
    return box;
}

int rowsHigh(const QListWidget* list, int rows) {
    return list->fontMetrics().lineSpacing() * rows + 2 * list->frameWidth() + 4;
}

}  // namespace

ErrorWindowDialog::ErrorWindowDialog(ErrorWindowState& state, QWidget* parent) : QDialog(parent), state_(state) {
    setObjectName("frmFAILSAFE");
    setWindowTitle(text(state_.title()));
    setModal(true);
    resize(720, 520);

    auto* icon = new QLabel;
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
    auto* headline = new QLabel(text(state_.headline()));
    headline->setObjectName("lblHeadline");
    headline->setWordWrap(true);
    QFont bold = headline->font();
    bold.setBold(true);
    headline->setFont(bold);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(headline, 1);

    pages_ = new QComboBox;
    pages_->setObjectName("Combo1");
    for (int page = 0; page < ErrorWindowState::pageCount; ++page) pages_->addItem(text(ErrorWindowState::pageName(page)));
    stack_ = new QStackedWidget;
    stack_->addWidget(makeUserTextPage());
    stack_->addWidget(makeErrorSourcePage());
    stack_->addWidget(makeCallTreePage());
    stack_->addWidget(makeSystemPage());
    connect(pages_, &QComboBox::activated, this, [this](int page) { state_.selectPage(page); });

    status_ = new QLabel;
    status_->setObjectName("lblStatus");
    status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(pages_);
    layout->addWidget(stack_, 1);
    layout->addWidget(makeButtons());
    layout->addWidget(status_);

    state_.setChangeHandler([this] { refresh(); });
    refresh();
    userText_->setFocus();
    userText_->selectAll();
}

QWidget* ErrorWindowDialog::makeUserTextPage() {
    userText_ = new QPlainTextEdit(text(state_.userText()));
    userText_->setObjectName("Text1");
    connect(userText_, &QPlainTextEdit::textChanged, this, [this] {
        // A multi-line text box holds CR LF line ends.
        state_.setUserText(userText_->toPlainText().replace('\n', "\r\n").toStdString());
    });
    return userText_;
}

QWidget* ErrorWindowDialog::makeErrorSourcePage() {
    QGroupBox* box = captioned(ErrorWindowState::ErrorSource);
    auto* form = new QFormLayout;
    for (const ErrorField& field : state_.fields()) {
        auto* label = new QLabel(text(field.label));
        label->setObjectName(text(field.labelName));
        auto* value = new QLineEdit(text(field.value));
        value->setObjectName(text(field.fieldName));
        value->setReadOnly(true);
        value->setCursorPosition(0);
        value->setToolTip(text(field.hint));
        watch(label);
        watch(value);
        form->addRow(label, value);
    }
    static_cast<QVBoxLayout*>(box->layout())->addLayout(form);
    auto* errors = new QListWidget;
    errors->setObjectName("lstErrors");
    for (const std::string& error : state_.errorRows()) errors->addItem(row(error));
    errors->setMaximumHeight(rowsHigh(errors, 4));
    box->layout()->addWidget(errors);
    box->layout()->addWidget(new QLabel(text(state_.errorCountText())));
    return box;
}

QWidget* ErrorWindowDialog::makeCallTreePage() {
    QGroupBox* box = captioned(ErrorWindowState::ErrorContext);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* calls = new QListWidget;
    calls->setObjectName("nsCtrlCalls");
    calls->setFont(fixed);
    for (const std::string& call : state_.callRows()) calls->addItem(row(call));
    arguments_ = new QListWidget;
    arguments_->setObjectName("nsCtrlArgs");
    arguments_->setFont(fixed);
    arguments_->setMaximumHeight(rowsHigh(arguments_, 3));
    connect(calls, &QListWidget::currentRowChanged, this, [this](int selected) {
        state_.selectCall(selected);
        arguments_->clear();
        for (const std::string& argument : state_.argumentRows()) arguments_->addItem(row(argument));
    });
    box->layout()->addWidget(calls);
    box->layout()->addWidget(arguments_);
    return box;
}

QWidget* ErrorWindowDialog::makeSystemPage() {
    QGroupBox* box = captioned(ErrorWindowState::SystemInformation);
    report_ = new QPlainTextEdit;
    report_->setObjectName("txtSystemInformation");
    report_->setReadOnly(true);
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    box->layout()->addWidget(report_);
    return box;
}

QWidget* ErrorWindowDialog::makeButtons() {
    auto* buttons = new QWidget;
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    auto add = [&](const char* name, const QString& caption, auto&& pressed) {
        auto* button = new QPushButton(caption);
        button->setObjectName(name);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, pressed);
        watch(button);
        row->addWidget(button);
        return button;
    };
    add("nsCtrlContinue", "&Continue", [this] { answer(&ErrorWindowState::pressContinue); })->setDefault(true);
    add("nsCtrlMore", "&Break to", [this] { answer(&ErrorWindowState::pressBreakTo); });
    row->addStretch();
    add("fsPrint", "Save...", [this] { state_.pressSave(); });
    add("nsHelp", "Help", [this] { state_.pressHelp(); });
    return buttons;
}

void ErrorWindowDialog::answer(void (ErrorWindowState::*press)()) {
    (state_.*press)();
    accept();
}

ErrorWindowDialog::~ErrorWindowDialog() { state_.setChangeHandler({}); }

void ErrorWindowDialog::reject() { answer(&ErrorWindowState::pressContinue); }

void ErrorWindowDialog::watch(QWidget* widget) {
    widget->installEventFilter(this);
}

bool ErrorWindowDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter) state_.hoverOver(watched->objectName().toStdString());
    return QDialog::eventFilter(watched, event);
}

bool ErrorWindowDialog::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) state_.activated();
    if (event->type() == QEvent::Enter) state_.hoverOver("");
    return QDialog::event(event);
}

void ErrorWindowDialog::refresh() {
    status_->setText(text(state_.status()));
    pages_->setCurrentIndex(state_.page());
    stack_->setCurrentIndex(state_.page());
    if (report_->toPlainText().isEmpty() && !state_.systemReport().empty())
        report_->setPlainText(text(state_.systemReport()).remove('\r'));
}

}  // namespace lumo::failsafe::window
