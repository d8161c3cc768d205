#include "PictureFiles.h"

#include "framework/core/Object.h"
#include "framework/gui/Graphics.h"

#include <QFileInfo>
#include <QMetaProperty>

namespace qel_render {

namespace {

const QMetaObject* HeldClass(const QMetaObject* Meta, const String& Name)
{
    const int index = Meta->indexOfProperty(Name.c_str());
    if (index < QObject::staticMetaObject.propertyCount()) return nullptr;
    const QMetaType type = Meta->property(index).metaType();
    return type.flags().testFlag(QMetaType::PointerToQObject) ? type.metaObject() : nullptr;
}

bool HoldsPicture(const QMetaObject* Held)
{
    return Held && (Held->inherits(ClassOf<TPicture>()) || Held->inherits(ClassOf<TGraphic>()));
}

}  // namespace

bool IsPictureFile(const QMetaObject* Meta, const String& Name, const String& Text)
{
    return Text.size() > 1 && Text[0] == '@' && HoldsPicture(HeldClass(Meta, Name));
}

void LoadPicture(TObject* Target, const String& Name, const String& Text)
{
    const String file = Text.substr(1);
    if (!QFileInfo(QString::fromStdString(file)).isFile()) throw TRenderError("cannot read " + file + ": no such file");
    QObject* held = Target->property(Name.c_str()).value<QObject*>();
    try {
        const QMetaProperty prop = Target->metaObject()->property(Target->metaObject()->indexOfProperty(Name.c_str()));
        if (auto* picture = qobject_cast<TPicture*>(held)) {
            picture->LoadFromFile(file);
        } else if (qobject_cast<TBitmap*>(held) && prop.isWritable()) {
            // Through the setter, as a form file or the host assigns it: a component may derive
            // state from its picture there.
            TBitmap loaded;
            loaded.LoadFromFile(file);
            prop.write(Target, QVariant::fromValue(&loaded));
        } else if (auto* graphic = qobject_cast<TGraphic*>(held)) graphic->LoadFromFile(file);
        else throw TRenderError(Target->ClassName() + "." + Name + " holds no picture to load " + file + " into");
    } catch (const Exception& E) {
        throw TRenderError("cannot read " + file + ": " + E.Message());
    }
}

}  // namespace qel_render
