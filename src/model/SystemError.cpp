#include "model/SystemError.h"

#include <cerrno>
#include <cstring>

namespace {
// The untranslated text: under a Dutch locale strerror() may already be Dutch, or half of it.
QString englishText(int err)
{
    const char *text = strerrordesc_np(err);
    return text ? QString::fromLatin1(text) : QStringLiteral("Unknown error %1").arg(err);
}

QString dutchText(int err)
{
    switch (err) {
    case ENOSPC:
        return QStringLiteral("de schijf is vol");
    case EDQUOT:
        return QStringLiteral("de toegestane schijfruimte is op");
    case EACCES:
    case EPERM:
        return QStringLiteral("geen toestemming");
    case EROFS:
        return QStringLiteral("het bestandssysteem is alleen-lezen");
    case ENOENT:
        return QStringLiteral("niet gevonden");
    case ENOTDIR:
        return QStringLiteral("een deel van het pad is geen map");
    case EISDIR:
        return QStringLiteral("het is een map");
    case EIO:
        return QStringLiteral("lees- of schrijffout van de schijf");
    case EFBIG:
        return QStringLiteral("het bestand wordt te groot");
    case ENAMETOOLONG:
        return QStringLiteral("de naam is te lang");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("het bestand is in gebruik");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("te veel open bestanden");
    case ENOMEM:
        return QStringLiteral("te weinig geheugen");
    default:
        return QStringLiteral("systeemfout %1").arg(err);
    }
}
} // namespace

QString SystemErrorText(int err)
{
    return dutchText(err) + QStringLiteral(" (") + englishText(err) + QLatin1Char(')');
}
