#include "protocol/commands.h"

#include "link/hexcommand.h"

namespace Common {

QString SerialNoTransmission(const QString& code)
{
    return EnterUserSetting + StoreSerialNo + TextToHex(code) + ExitUserSetting;
}

QString ModelNameTransmission(const QString& name)
{
    const QString field = (TextToHex(name) + QString(ModelNameFieldBytes * 2, QLatin1Char('0')))
                              .left(ModelNameFieldBytes * 2);
    return EnterUserSetting + StoreModelName + field + ExitUserSetting;
}

std::optional<QString> SerialNoFromReply(const QString& reply)
{
    if (reply.size() != 24)
        return std::nullopt;
    return HexToText(reply.mid(2, 20));
}

std::optional<QString> ModelNameFromReply(const QString& reply)
{
    if (reply.size() <= 10 || !reply.endsWith(QLatin1String("00")))
        return std::nullopt;
    return HexToText(reply.mid(2, reply.size() - 4));
}

} // namespace Common
