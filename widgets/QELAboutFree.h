#pragma once
// The About text every qelwidgets component publishes: at most 32 characters held inside the
// component itself. The library never writes it; the design package shows its own text for it.
#include "framework/core/Types.h"
#include "widgets/WidgetsExport.h"

#include <QMetaType>

#include <array>
#include <string_view>

namespace qel {

class QEL_WIDGETS_EXPORT TQELAboutFreeStr {
public:
    static constexpr int MaxLength = 32;

    TQELAboutFreeStr() = default;
    // Longer texts are cut to MaxLength characters, as a fixed-length string would.
    TQELAboutFreeStr(std::string_view Text);  // NOLINT(google-explicit-constructor): assigned from text

    int Length() const { return FLength; }
    String ToString() const { return String(FChars.data(), FLength); }

    bool operator==(const TQELAboutFreeStr& Other) const { return ToString() == Other.ToString(); }
    bool operator!=(const TQELAboutFreeStr& Other) const { return !(*this == Other); }

private:
    uint8_t FLength = 0;
    std::array<char, MaxLength> FChars{};
};

}  // namespace qel

Q_DECLARE_METATYPE(qel::TQELAboutFreeStr)
