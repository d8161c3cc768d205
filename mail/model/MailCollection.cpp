#include "mail/model/MailCollection.h"

#include "mail/model/MailErrors.h"

namespace qel::MailCollectionDetail {

bool DeleteReported(TCollection* Collection, int Index, const std::function<void(TCollectionItem*)>& Deleting)
{
    return RunReported(Collection, [&] {
        Deleting(Collection->Items(Index));
        Collection->Delete(Index);
    });
}

}  // namespace qel::MailCollectionDetail
