#include "failsafe/window/qt_system_facts.h"

#include <QGuiApplication>
#include <QInputDevice>
#include <QLocale>
#include <QPointingDevice>
#include <QScreen>

#include <algorithm>
#include <cmath>

#include "failsafe/window/printer_module.h"

namespace lumo::failsafe::window {

std::optional<DisplayFacts> QtSystemFacts::display() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return machine_->display();
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return std::nullopt;  // a display server without screens
    DisplayFacts facts;
    facts.bitsPerPixel = primary->depth();
    const QSize size = primary->geometry().size();
    facts.width = static_cast<int>(std::lround(size.width() * primary->devicePixelRatio()));
    facts.height = static_cast<int>(std::lround(size.height() * primary->devicePixelRatio()));
    facts.monitors = static_cast<int>(QGuiApplication::screens().size());
    // X lists its virtual core pointers beside the real ones, with every
    // button any device might have; they count only when nothing else does.
    QList<const QInputDevice*> pointers;
    for (const QInputDevice* device : QInputDevice::devices())
        if (device->type() == QInputDevice::DeviceType::Mouse || device->type() == QInputDevice::DeviceType::TouchPad)
            pointers.append(device);
    const auto isVirtual = [](const QInputDevice* device) { return device->name().startsWith("Virtual core"); };
    if (!std::all_of(pointers.begin(), pointers.end(), isVirtual)) pointers.removeIf(isVirtual);
    for (const QInputDevice* device : pointers) {
        if (!facts.mousePresent) facts.mouseName = device->name().toStdString();
        facts.mousePresent = true;
        if (const auto* pointer = qobject_cast<const QPointingDevice*>(device))
            facts.mouseButtons = std::max(facts.mouseButtons, pointer->buttonCount());
        facts.mouseWheel = facts.mouseWheel || device->hasCapability(QInputDevice::Capability::Scroll);
    }
    for (const QInputDevice* device : QInputDevice::devices())
        if (device->type() == QInputDevice::DeviceType::Keyboard && !device->name().startsWith("Virtual core")) {
            facts.keyboardName = device->name().toStdString();
            break;
        }
    return facts;
}

LocaleFacts QtSystemFacts::locale() {
    LocaleFacts facts = machine_->locale();
    const QLocale user = QLocale::system();
    if (const QString name = user.nativeLanguageName(); !name.isEmpty()) facts.nativeLanguage = name.toStdString();
    facts.rightToLeft = user.textDirection() == Qt::RightToLeft;
    facts.doubleByte = user.language() == QLocale::Chinese || user.language() == QLocale::Japanese ||
                       user.language() == QLocale::Korean;
    if (const QString group = user.groupSeparator(); !group.isEmpty()) facts.groupSeparator = group.toStdString();
    if (const QString point = user.decimalPoint(); !point.isEmpty()) facts.decimalSeparator = point.toStdString();
    const QString date = user.dateFormat(QLocale::ShortFormat);
    if (date.contains('M') && date.contains('d')) facts.monthFirst = date.indexOf('M') < date.indexOf('d');
    return facts;
}

std::string QtSystemFacts::defaultPrinter() {
    const std::string name = defaultPrinterName();
    return name.empty() ? machine_->defaultPrinter() : name;
}

}  // namespace lumo::failsafe::window
