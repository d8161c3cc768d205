#pragma once
// Pictures from files: "--set Picture=@logo.png" loads the file into the component's picture or
// bitmap after the component is made (form files hold pictures as data, not file names).
#include "PropertyText.h"

namespace qel {
class TObject;
}

namespace qel_render {

// True when Text names a file ("@FILE") and the class's property Name holds a picture or a
// graphic (TPicture, TBitmap, ...): such a value is loaded with LoadPicture, not set as text.
bool IsPictureFile(const QMetaObject* Meta, const String& Name, const String& Text);

// Loads FILE of "@FILE" into Target's picture or graphic property Name. TRenderError naming the
// file when it is missing or not a picture the framework reads.
void LoadPicture(qel::TObject* Target, const String& Name, const String& Text);

}  // namespace qel_render
