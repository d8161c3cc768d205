#pragma once
// Runs a public method of a component by name, with arguments given as text ("SetValue:42").
#include "PropertyText.h"

namespace qel {
class TObject;
}

namespace qel_render {

// The method must be invokable through the meta-object (Q_INVOKABLE or a slot); arguments are
// converted to its parameter types (integers, booleans, reals, text). TRenderError when there is
// no such method, or the arguments do not fit.
void CallMethod(qel::TObject* Target, const String& Call);

}  // namespace qel_render
