#include "widgets/QELAboutFree.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace qel {

TQELAboutFreeStr::TQELAboutFreeStr(std::string_view Text)
{
    FLength = static_cast<uint8_t>(std::min<size_t>(Text.size(), MaxLength));
    std::memcpy(FChars.data(), Text.data(), FLength);
}

namespace {

// Form files and the object inspector hold the text as a QString.
const bool ConvertersRegistered = [] {
    QMetaType::registerConverter<TQELAboutFreeStr, QString>(
        [](const TQELAboutFreeStr& About) { return QString::fromStdString(About.ToString()); });
    QMetaType::registerConverter<QString, TQELAboutFreeStr>(
        [](const QString& Text) { return TQELAboutFreeStr(Text.toStdString()); });
    return true;
}();

}  // namespace

}  // namespace qel
