#pragma once
// The framework's scalar vocabulary: the widths the components rely on.
#include <QMetaType>
#include <cstdint>
#include <string>

namespace qel {

using String = std::string;   // 8-bit text in the system code page (UTF-8 on Linux)
using Integer = int32_t;
using Word = uint16_t;
using Cardinal = uint32_t;
using Byte = uint8_t;
using TDateTime = double;     // days since 1899-12-30, fraction = time of day

}  // namespace qel

Q_DECLARE_METATYPE(std::string)
