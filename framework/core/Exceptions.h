#pragma once
// The framework's exception classes: each carries only a message.
#include "framework/core/Export.h"
#include "framework/core/Types.h"

#include <exception>

namespace qel {

class QEL_FRAMEWORK_EXPORT Exception : public std::exception {
public:
    explicit Exception(String Msg) : FMessage(std::move(Msg)) {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    const String& Message() const noexcept { return FMessage; }

private:
    String FMessage;
};

#define QEL_DECLARE_EXCEPTION(Name, Base) \
    class QEL_FRAMEWORK_EXPORT Name : public Base { \
    public:                               \
        using Base::Base;                 \
    };

QEL_DECLARE_EXCEPTION(EAbort, Exception)
QEL_DECLARE_EXCEPTION(EConvertError, Exception)
QEL_DECLARE_EXCEPTION(EInvalidCast, Exception)
QEL_DECLARE_EXCEPTION(EListError, Exception)
QEL_DECLARE_EXCEPTION(EInvalidOperation, Exception)
QEL_DECLARE_EXCEPTION(EComponentError, Exception)
QEL_DECLARE_EXCEPTION(EInOutError, Exception)
QEL_DECLARE_EXCEPTION(EOSError, Exception)
QEL_DECLARE_EXCEPTION(ESocketError, Exception)
QEL_DECLARE_EXCEPTION(EStreamError, Exception)
QEL_DECLARE_EXCEPTION(EFCreateError, EStreamError)
QEL_DECLARE_EXCEPTION(EFOpenError, EStreamError)
QEL_DECLARE_EXCEPTION(EFilerError, EStreamError)
QEL_DECLARE_EXCEPTION(EReadError, EFilerError)
QEL_DECLARE_EXCEPTION(EWriteError, EFilerError)
QEL_DECLARE_EXCEPTION(EClassNotFound, EFilerError)

}  // namespace qel
