#include "dialogs/qt_user_interface.h"

#include <QApplication>
#include <QPushButton>

#include <array>
#include <memory>
#include <utility>

#include "common/qt_application.h"
#include "dialogs/message_box_shape.h"
#include "failsafe/framework.h"

namespace lumo::dialogs {
namespace {

namespace box = failsafe::box;

constexpr std::array<std::pair<int32_t, QMessageBox::StandardButton>, 7> buttonsByAnswer{{
    {box::Ok, QMessageBox::Ok},
    {box::Cancel, QMessageBox::Cancel},
    {box::Abort, QMessageBox::Abort},
    {box::Retry, QMessageBox::Retry},
    {box::Ignore, QMessageBox::Ignore},
    {box::Yes, QMessageBox::Yes},
    {box::No, QMessageBox::No},
}};

QString fromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QMessageBox::StandardButton qtButtonFor(int32_t answer) {
    for (const auto& [classic, qt] : buttonsByAnswer)
        if (classic == answer) return qt;
    return QMessageBox::NoButton;
}

int32_t answerFor(QMessageBox::StandardButton button) {
    for (const auto& [classic, qt] : buttonsByAnswer)
        if (qt == button) return classic;
    return 0;
}

QMessageBox::Icon qtIconFor(int32_t icon) {
    switch (icon) {
        case box::Critical: return QMessageBox::Critical;
        case box::Question: return QMessageBox::Question;
        case box::Exclamation: return QMessageBox::Warning;
        case box::Information: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

int32_t QtUserInterface::messageBox(std::string_view text, int32_t style, std::string_view title) {
    const MessageBoxShape shape = messageBoxShape(style);
    QWidget* parent = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    QMessageBox shown(qtIconFor(shape.icon), fromUtf8(title), fromUtf8(boxText(text)), QMessageBox::NoButton, parent);
    // Prompts carry file and playlist names; none of them is markup.
    shown.setTextFormat(Qt::PlainText);
    for (const int32_t answer : shape.buttons) shown.addButton(qtButtonFor(answer));
    shown.setDefaultButton(qtButtonFor(shape.defaultAnswer));
    shown.setEscapeButton(shown.button(qtButtonFor(shape.escapeAnswer)));
    shown.exec();
    QAbstractButton* clicked = shown.clickedButton();
    return clicked ? answerFor(shown.standardButton(clicked)) : shape.escapeAnswer;
}

void QtUserInterface::processPendingEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void QtUserInterface::setProgramWindowsEnabled(bool enabled) {
    for (QWidget* window : QApplication::topLevelWidgets()) window->setEnabled(enabled);
}

bool installWindowedUserInterface() {
    if (!common::windowsCanBeAnswered()) return false;
    failsafe::framework().setUserInterface(std::make_shared<QtUserInterface>());
    return true;
}

}  // namespace lumo::dialogs
