#pragma once
// The form-file (JSON) values of properties a user sets on the command line as NAME=TEXT: the
// component is then made by the framework's own form-file reader, so every value goes through
// the same setters and checks as in a form file.
#include "framework/core/Types.h"

#include <QJsonObject>
#include <QMetaObject>

#include <functional>
#include <optional>
#include <stdexcept>

namespace qel_render {
using namespace qel;

// A value or a name the tool cannot use: reported with exit code 2.
class TRenderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Integer constants by name (colour names such as clRed); nullopt for an unknown name.
using TConstantLookup = std::function<std::optional<int64_t>(const String& Name)>;

// Adds Name=Text to Properties for a class with meta-object Meta. Name may reach into an owned
// object ("Font.Size"). Integers take decimal, 0x hexadecimal or a constant's name; booleans
// true/false; enumerations their names; sets names separated by ','; string lists lines
// separated by "\n". TRenderError names the property and what it takes.
void AddProperty(QJsonObject& Properties, const QMetaObject* Meta, const String& Name, const String& Text,
                 const TConstantLookup& Constants);

}  // namespace qel_render
