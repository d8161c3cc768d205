#include "ProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace qelmail_tool {

bool StderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

TProgressBar::TProgressBar(bool Enabled) : FEnabled(Enabled) {}

TProgressBar::~TProgressBar()
{
    Finish();
}

void TProgressBar::Start(const std::string& Label)
{
    Finish();
    FLabel = Label;
    FShown = -1;
    FActive = FEnabled;
    Update(0);
}

void TProgressBar::Update(int Percent)
{
    if (!FActive) return;
    Percent = std::clamp(Percent, 0, 100);
    if (Percent == FShown) return;
    FShown = Percent;
    constexpr int Width = 30;
    const int filled = Percent * Width / 100;
    std::fprintf(stderr, "\r%-28.28s [%s%s] %3d%%", FLabel.c_str(), std::string(static_cast<size_t>(filled), '#').c_str(),
                 std::string(static_cast<size_t>(Width - filled), ' ').c_str(), Percent);
    std::fflush(stderr);
}

void TProgressBar::Finish()
{
    if (!FActive) return;
    std::fputc('\n', stderr);
    FActive = false;
}

}  // namespace qelmail_tool
