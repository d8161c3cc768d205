#include "RunReport.h"

#include "framework/core/Application.h"

#include <cstdio>

namespace qelmail_tool {

TRunReport::TRunReport()
{
    Application->OnException = [this](TObject*, const Exception& E) { FErrors.push_back(E.Message()); };
}

TRunReport::~TRunReport()
{
    Application->OnException = nullptr;
}

TQELOnInfoMessage TRunReport::ErrorHandler()
{
    return [this](TObject*, const String& Status, const String& Text, bool) { FErrors.push_back(Status + ": " + Text); };
}

void TRunReport::Print() const
{
    for (const String& e : FErrors) std::fprintf(stderr, "qelmail: %s\n", e.c_str());
}

}  // namespace qelmail_tool
