#include "widgets/speaker/EvdevToneSink.h"

#include <fcntl.h>
#include <glob.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace qel::speaker {

namespace {

std::vector<std::string> Glob(const char* Pattern)
{
    std::vector<std::string> paths;
    glob_t g{};
    if (::glob(Pattern, 0, nullptr, &g) == 0)
        for (size_t i = 0; i < g.gl_pathc; ++i) paths.emplace_back(g.gl_pathv[i]);
    ::globfree(&g);
    return paths;
}

bool NamedPcSpeaker(const std::string& Path)
{
    const int fd = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    char name[256] = {};
    const bool named = ::ioctl(fd, EVIOCGNAME(sizeof name - 1), name) >= 0 && std::strstr(name, "PC Speaker");
    ::close(fd);
    return named;
}

}  // namespace

std::unique_ptr<TEvdevToneSink> TEvdevToneSink::OpenPath(const std::string& Path)
{
    const int fd = ::open(Path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    return std::unique_ptr<TEvdevToneSink>(new TEvdevToneSink(fd));
}

std::unique_ptr<TEvdevToneSink> TEvdevToneSink::Open()
{
    for (const auto& path : Glob("/dev/input/by-path/*pcspkr*"))
        if (auto sink = OpenPath(path)) return sink;
    for (const auto& path : Glob("/dev/input/event*"))
        if (NamedPcSpeaker(path))
            if (auto sink = OpenPath(path)) return sink;
    return nullptr;
}

TEvdevToneSink::~TEvdevToneSink()
{
    SetTone(0);
    ::close(FFd);
}

void TEvdevToneSink::SetTone(double Hz)
{
    input_event ev{};
    ev.type = EV_SND;
    ev.code = SND_TONE;
    ev.value = static_cast<int32_t>(std::lround(Hz));
    // A lost tone is no reason to fail the caller: the speaker just stays as it was.
    [[maybe_unused]] const auto written = ::write(FFd, &ev, sizeof ev);
}

}  // namespace qel::speaker
