#include "TarvelCore/Models.h"

namespace tarvel {

namespace {
const char *kindName(TransferError::Kind kind)
{
    switch (kind) {
    case TransferError::Kind::nativeError: return "nativeError";
    case TransferError::Kind::noDevice: return "noDevice";
    case TransferError::Kind::deviceUnavailable: return "deviceUnavailable";
    case TransferError::Kind::unsupportedUSBMode: return "unsupportedUSBMode";
    case TransferError::Kind::permissionDenied: return "permissionDenied";
    case TransferError::Kind::readFailed: return "readFailed";
    case TransferError::Kind::writeFailed: return "writeFailed";
    case TransferError::Kind::cancelled: return "cancelled";
    case TransferError::Kind::disconnected: return "disconnected";
    case TransferError::Kind::deviceRefused: return "deviceRefused";
    case TransferError::Kind::deviceInUse: return "deviceInUse";
    case TransferError::Kind::diskFull: return "diskFull";
    case TransferError::Kind::localFileFailed: return "localFileFailed";
    }
    return "unknown";
}
} // namespace

TransferError::TransferError(Kind kind, QString nativeMessage)
    : m_kind(kind), m_nativeMessage(std::move(nativeMessage))
{
    // what() must return storage that lives as long as the error; build it once.
    m_what = kindName(kind);
    if (!m_nativeMessage.isEmpty())
        m_what += ": " + m_nativeMessage.toUtf8();
}

TransferError TransferError::deviceInUse(PhoneHolder holder)
{
    TransferError error(Kind::deviceInUse);
    error.m_what += ": " + (holder.program.isEmpty() ? QByteArray("unseen holder") : holder.program.toUtf8());
    error.m_holder = std::move(holder);
    return error;
}

const char *TransferError::what() const noexcept
{
    return m_what.constData();
}

std::optional<TransferError::Kind> kindOf(const std::exception_ptr &error)
{
    if (!error)
        return std::nullopt;
    try {
        std::rethrow_exception(error);
    } catch (const TransferError &failure) {
        return failure.kind();
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace tarvel
