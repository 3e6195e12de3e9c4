#include "web/WebAddress.h"

#include "web/WebFailure.h"

#include <QRegularExpression>

namespace zintra {

namespace {

const QString kBeginsWith = QStringLiteral("An address begins with http:// or https://");

bool IsWebScheme(const QString& scheme) {
    return scheme == QStringLiteral("http") || scheme == QStringLiteral("https");
}

[[noreturn]] void Refuse(const std::string& address, const QString& why) {
    throw EWebFailure(address + " - " + why.toStdString());
}

// A user name and password, before the host, go from a text shown back to the user.
QString WithoutUserInfo(QString text) {
    static const QRegularExpression userInfo(
        QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*:)?(/*)[^/?#]*@"));
    return text.replace(userInfo, QStringLiteral("\\1\\2"));
}

} // namespace

std::string AddressText(const QUrl& url) {
    return url.toString(QUrl::RemoveUserInfo | QUrl::FullyEncoded).toStdString();
}

void RequireWebAddress(const QUrl& url) {
    if (!url.isValid()) {
        Refuse(WithoutUserInfo(url.toString()).toStdString(),
               QStringLiteral("This is not a valid address"));
    }
    if (!IsWebScheme(url.scheme())) {
        Refuse(AddressText(url), kBeginsWith);
    }
    if (url.host().isEmpty()) {
        Refuse(AddressText(url), QStringLiteral("The address names no host"));
    }
    if (!url.userInfo().isEmpty()) {
        Refuse(AddressText(url),
               QStringLiteral("Addresses with a user name or password are not supported"));
    }
}

QUrl ReadAddress(const QString& text) {
    static const QRegularExpression webScheme(QStringLiteral("^(https?):/*(.*)$"),
                                              QRegularExpression::CaseInsensitiveOption |
                                                  QRegularExpression::DotMatchesEverythingOption);
    // A scheme, unless what follows the colon is a port ("localhost:8000").
    static const QRegularExpression otherScheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:(?!\\d)"));
    const QString trimmed = text.trimmed();
    QString address;
    if (const QRegularExpressionMatch match = webScheme.match(trimmed); match.hasMatch()) {
        address = match.captured(1).toLower() + QStringLiteral("://") + match.captured(2);
    } else if (otherScheme.match(trimmed).hasMatch()) {
        Refuse(WithoutUserInfo(trimmed).toStdString(), kBeginsWith);
    } else {
        address = QStringLiteral("http://") + trimmed;
    }
    const QUrl url(address);
    RequireWebAddress(url);
    return url;
}

bool ReadsAsAddress(const QString& text) {
    static const QRegularExpression address(QStringLiteral("^(https?:|[A-Za-z][A-Za-z0-9+.-]*://)"),
                                            QRegularExpression::CaseInsensitiveOption);
    return address.match(text).hasMatch();
}

bool IsCollectionAddress(const QUrl& url) {
    const QString path = url.path();
    return url.isValid() && IsWebScheme(url.scheme()) && !url.host().isEmpty() &&
           url.userInfo().isEmpty() && !path.isEmpty() && !path.endsWith(u'/');
}

} // namespace zintra
