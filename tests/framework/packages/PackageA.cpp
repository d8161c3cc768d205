// A package for the loader tests. Package A and package B each register a class named
// TPackagedThing, in namespaces of their own.
#include "framework/core/Component.h"

namespace qel_test_package_a {

using qel::TComponent;  // form files make components through the constructor "(TComponent*)"

class TPackagedThing : public TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPackagedThing(TComponent* AOwner) : TComponent(AOwner) {}
};

QEL_REGISTER_CLASS(TPackagedThing);

}  // namespace qel_test_package_a

#include "PackageA.moc"
