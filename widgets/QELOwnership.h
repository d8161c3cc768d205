#pragma once
// TQELOwnership: the owner of an application (name, address, numbers, free fields), filled in the
// designer and stored with the form. No behaviour of its own.
#include "framework/core/Component.h"
#include "widgets/QELAboutFree.h"
#include "widgets/WidgetsExport.h"

namespace qel {

// The published Name is the owner's name and takes the place of the component-name property.
// The name the form designer knows the component by stays TComponent's: form files keep it as
// the component's "name" entry, and TComponent::Name() / SetName reach it in code.
class QEL_WIDGETS_EXPORT TQELOwnership : public TComponent {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_PROPERTY(String Name MEMBER Name)
    Q_PROPERTY(String PoBox MEMBER PoBox)
    Q_PROPERTY(String TelephoneNo MEMBER TelephoneNo)
    Q_PROPERTY(String FaxNo MEMBER FaxNo)
    Q_PROPERTY(String Street MEMBER Street)
    Q_PROPERTY(String Town MEMBER Town)
    Q_PROPERTY(String PostalCode MEMBER PostalCode)
    Q_PROPERTY(String Special1 MEMBER Special1)
    Q_PROPERTY(String Special2 MEMBER Special2)
    Q_PROPERTY(String Special3 MEMBER Special3)
    Q_CLASSINFO("default:About", "")
public:
    Q_INVOKABLE explicit TQELOwnership(TComponent* AOwner);

    TQELAboutFreeStr About;
    String Name;  // hides TComponent::Name() on purpose
    String TelephoneNo;
    String FaxNo;
    String PoBox;
    String Street;
    String Town;
    String PostalCode;
    String Special1;
    String Special2;
    String Special3;
};

}  // namespace qel
