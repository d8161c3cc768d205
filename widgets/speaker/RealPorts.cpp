#include "widgets/speaker/RealPorts.h"

#if (defined(__x86_64__) || defined(__i386__)) && __has_include(<sys/io.h>)
#include <sys/io.h>
#define QEL_HAVE_PORT_IO 1
#else
#define QEL_HAVE_PORT_IO 0
#endif

namespace qel::speaker {

std::unique_ptr<TRealPorts> TRealPorts::Open()
{
#if QEL_HAVE_PORT_IO
    if (::ioperm(TimerChannel2Port, 2, 1) != 0) return nullptr;
    if (::ioperm(PortB, 1, 1) != 0) {
        ::ioperm(TimerChannel2Port, 2, 0);
        return nullptr;
    }
    return std::unique_ptr<TRealPorts>(new TRealPorts);
#else
    return nullptr;
#endif
}

TRealPorts::~TRealPorts()
{
#if QEL_HAVE_PORT_IO
    ::ioperm(TimerChannel2Port, 2, 0);
    ::ioperm(PortB, 1, 0);
#endif
}

bool TRealPorts::Granted(uint16_t Port)
{
    return Port == TimerChannel2Port || Port == TimerControlPort || Port == PortB;
}

uint8_t TRealPorts::In(uint16_t Port)
{
#if QEL_HAVE_PORT_IO
    if (Granted(Port)) return ::inb(Port);
#else
    (void)Port;
#endif
    return 0xFF;
}

void TRealPorts::Out(uint16_t Port, uint8_t Value)
{
#if QEL_HAVE_PORT_IO
    if (Granted(Port)) ::outb(Value, Port);
#else
    (void)Port;
    (void)Value;
#endif
}

}  // namespace qel::speaker
