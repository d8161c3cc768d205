#pragma once
// The process-wide port layer, chosen once: the real ports where the kernel grants them, else
// the emulation sounding through the first tone sink that opens (speaker device, audio, silence),
// looked for at the first tone.
#include "widgets/speaker/PortIO.h"
#include "widgets/speaker/ToneSink.h"

#include <memory>

namespace qel::speaker {

// Lives to the process's end (components freed late still reach it); an audio sink is let go
// when the Qt application ends, the emulation then stays silent.
IPortIO& DefaultPortIO();

std::unique_ptr<IToneSink> OpenFirstToneSink();

}  // namespace qel::speaker
