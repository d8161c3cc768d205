#pragma once
// A one-line progress bar on a terminal; silent when standard error is not a terminal.
#include <string>

namespace qelmail_tool {

class TProgressBar {
public:
    explicit TProgressBar(bool Enabled);
    ~TProgressBar();

    void Start(const std::string& Label);
    void Update(int Percent);  // 0..100; redraws only when the figure changed
    void Finish();             // ends the line

private:
    bool FEnabled;
    bool FActive = false;
    int FShown = -1;
    std::string FLabel;
};

bool StderrIsTerminal();

}  // namespace qelmail_tool
