#pragma once
// Form files: a component tree with its published properties, as readable JSON.
//
// {"qelform": 1, "root": {"class": "TMyForm", "name": "Form1",
//    "properties": {"Tag": 3, "Lines": ["a", "b"], "Items": [{"Caption": "x"}], "Source": "Holder1"},
//    "components": [{"class": "TTimer", "name": "Timer1", "properties": {...}, "components": []}]}}
//
// Written: every named component owned by the root (and, recursively, their named components),
// every stored published property whose value differs from its declared default; collections as
// lists of their items' properties, string lists as lists of lines, component references by name.
// Unnamed owned components are a component's internals and are never written.
#include "framework/core/Export.h"
#include "framework/core/Component.h"

namespace qel {

QEL_FRAMEWORK_EXPORT String ComponentToText(TComponent* Root);
QEL_FRAMEWORK_EXPORT void WriteComponentFile(const String& FileName, TComponent* Root);  // EFCreateError

// Reads a tree into Root, or into a new root of the file's class owned by Owner when Root is
// nullptr; returns the root. Components are created by class name (registered classes only),
// every stored value goes through its setter, references are resolved last, then Loaded runs on
// each component read. Any fault raises EReadError naming the line or the property, and removes
// every component the read created.
QEL_FRAMEWORK_EXPORT TComponent* TextToComponent(const String& Text, TComponent* Root = nullptr, TComponent* Owner = nullptr);
QEL_FRAMEWORK_EXPORT TComponent* ReadComponentFile(const String& FileName, TComponent* Root = nullptr, TComponent* Owner = nullptr);

}  // namespace qel
