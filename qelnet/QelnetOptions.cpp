#include "QelnetOptions.h"

#include <QDir>
#include <QRegularExpression>

const char* const QelnetUsage = R"(Usage: qelnetd --socket PATH --gateway NNN=IMAGE [--gateway NNN=IMAGE ...] [options]
  or:  qelnetd --socket PATH --gateway-folder DIR [options]
  or:  qelnetd --socket PATH --check
  or:  qelnetd --make-image SOURCE.json IMAGE
  or:  qelnetd --show-image IMAGE
  or:  qelnetd --help | --version

The communication server with simulated gateways. It listens on a Unix-domain
socket (created for its owner only, mode 0600) and serves any number of
programs at once, one socket connection each, one outstanding telegram per
connection. Each gateway keeps its functions in its image file, which is
rewritten (beside, then renamed) after every accepted change.

  --socket PATH          the socket to listen on (Connection/Server of ORPA.INI)
  --gateway NNN=IMAGE    serve the gateway of network NNN from IMAGE; repeatable
  --gateway-folder DIR   serve every image DIR/gateway-NNN.img as the gateway of
                         network NNN, as --gateway NNN=DIR/gateway-NNN.img does
  --trace FILE           one line per telegram as it passes: milliseconds since
                         start (three decimals), ">" program to gateway or "<"
                         gateway to program, the command number (or "?"), the
                         134 bytes in hex
  --latency MS           answer each telegram MS milliseconds after it came
  --fail-link-after N    telegram N+1 of a connection gets the link failure
                         (0x0506 with second parameter 0x00000001)
  --refuse-writes STATUS answer every write (commands 11..31) with STATUS
  --unexpected-answer N  answer telegram N of a connection as another command
  --changed-stamp        stamps move between the stamp read and the reads of
                         the functions, as if another user wrote; writes are
                         answered with status 16
  --memory-full          report no free memory; refuse new functions (status 1)
  --answer-other-function
                         answer every request about a function as if it
                         named the next function number
  --corrupt-stored-block accept every data block write but store it with one
                         byte changed (its lowest bit flipped)
  --check                tell whether a server listens on the --socket PATH:
                         exit code 0 when one does, 1 when none; starts none
  --make-image SOURCE.json IMAGE   make a gateway image from its readable source
  --show-image IMAGE     list an image: functions, flags, stamps, telegrams
  --help                 this text
  --version              the version

Socket frames, both ways: u32 length of the rest, u16 message, u16 0,
u32 first parameter (the sender's window; the server's in its replies),
u32 second parameter, payload.
  0x03E0 announce, second parameter 40 << 16   -> 0x0506 (40 << 16) | 0x8000
  0x0500 (118 << 16) | handle + 13-byte connection record (bytes 5..12 the
         gateway address "NNN:125")            -> 0x0506 (118 << 16) | 0x8000,
                                                  | 0x0001 for a gateway not served
  0x0500 (119 << 16) | handle, disconnect      -> 0x0506 (119 << 16) | 0x8000
  0x0501 (job << 16) | handle + 134-byte telegram, to the gateway of its
         destination node (bytes 5..6: network x 128 + node), which the
         program must have connected to
                                               -> 0x0504 + the answer telegram;
         0x0506 with high word 0 and low word 1 (link lost) or 2 (not connected)
  0x0507 sign-off                              -> 0x0507
  0x0510 u16 network, password, NUL (empty: does the gateway want one?)
                                               -> 0x0511 with 0 refused,
                                                  1 accepted, 2 no password
A frame too short or too long, an unknown message, a payload that does not fit
its message, a second telegram while one is outstanding, or a telegram the
command table does not know closes that connection, with the reason on
standard error. SIGTERM and SIGINT end the server and remove the socket.

Write answers carry the status in byte 25 and the function's new stamp in
bytes 26..29; start, stop, delete and reset answers the status in byte 24.
Statuses: 0 accepted, 1 memory full, 2 limit of the type reached, 3 telegram
not accepted, 4 a passive type cannot be started or stopped, 16 changed by
another user, 32 the function has another type, 255 no such function.
)";

namespace {

std::optional<int> count(const QString& text, int minimum, int maximum)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<QelnetOptions> ParseQelnetOptions(const QStringList& arguments, QString& error)
{
    QelnetOptions options;
    const auto value = [&](qsizetype& i, const QString& option) -> std::optional<QString> {
        if (i + 1 >= arguments.size()) {
            error = option + QStringLiteral(" needs a value");
            return std::nullopt;
        }
        return arguments[++i];
    };
    const auto number = [&](qsizetype& i, const QString& option, int minimum, int maximum) -> std::optional<int> {
        const std::optional<QString> text = value(i, option);
        if (!text)
            return std::nullopt;
        const std::optional<int> n = count(*text, minimum, maximum);
        if (!n)
            error = QStringLiteral("%1 takes a number from %2 to %3, not \"%4\"").arg(option).arg(minimum).arg(maximum).arg(*text);
        return n;
    };
    const auto addGateway = [&](const QString& networkText, const QString& image) {
        const uint16_t network = uint16_t(networkText.toUInt());
        for (const auto& [served, servedImage] : options.gateways)
            if (served == network) {
                error = QStringLiteral("network %1 is given twice").arg(networkText);
                return false;
            }
        options.gateways.emplace_back(network, image);
        return true;
    };
    static const QRegularExpression gatewayPattern(QStringLiteral("^(\\d{3})=(.+)$"));
    static const QRegularExpression imageNamePattern(QStringLiteral("^gateway-(\\d{3})\\.img$"));

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        if (option == QLatin1String("--help")) {
            options.action = QelnetOptions::Action::Help;
            return options;
        } else if (option == QLatin1String("--version")) {
            options.action = QelnetOptions::Action::Version;
            return options;
        } else if (option == QLatin1String("--socket")) {
            const auto path = value(i, option);
            if (!path)
                return std::nullopt;
            options.socketPath = *path;
        } else if (option == QLatin1String("--gateway")) {
            const auto text = value(i, option);
            if (!text)
                return std::nullopt;
            const QRegularExpressionMatch match = gatewayPattern.match(*text);
            if (!match.hasMatch()) {
                error = QStringLiteral("--gateway takes NNN=IMAGE (a three-digit network), not \"%1\"").arg(*text);
                return std::nullopt;
            }
            if (!addGateway(match.captured(1), match.captured(2)))
                return std::nullopt;
        } else if (option == QLatin1String("--gateway-folder")) {
            const auto path = value(i, option);
            if (!path)
                return std::nullopt;
            const QDir folder(*path);
            if (!folder.exists()) {
                error = QStringLiteral("--gateway-folder: no folder \"%1\"").arg(*path);
                return std::nullopt;
            }
            bool any = false;
            for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
                const QRegularExpressionMatch match = imageNamePattern.match(name);
                if (!match.hasMatch())
                    continue;
                if (!addGateway(match.captured(1), folder.filePath(name)))
                    return std::nullopt;
                any = true;
            }
            if (!any) {
                error = QStringLiteral("--gateway-folder: no image gateway-NNN.img in \"%1\"").arg(*path);
                return std::nullopt;
            }
        } else if (option == QLatin1String("--trace")) {
            const auto path = value(i, option);
            if (!path)
                return std::nullopt;
            options.tracePath = *path;
        } else if (option == QLatin1String("--latency")) {
            const auto ms = number(i, option, 0, 60000);
            if (!ms)
                return std::nullopt;
            options.linkFaults.latencyMs = *ms;
        } else if (option == QLatin1String("--fail-link-after")) {
            options.linkFaults.failLinkAfter = number(i, option, 0, 1000000);
            if (!options.linkFaults.failLinkAfter)
                return std::nullopt;
        } else if (option == QLatin1String("--unexpected-answer")) {
            options.linkFaults.unexpectedAnswer = number(i, option, 1, 1000000);
            if (!options.linkFaults.unexpectedAnswer)
                return std::nullopt;
        } else if (option == QLatin1String("--refuse-writes")) {
            const auto status = number(i, option, 1, 255);
            if (!status)
                return std::nullopt;
            options.gatewayFaults.refuseWrites = uint8_t(*status);
        } else if (option == QLatin1String("--changed-stamp")) {
            options.gatewayFaults.changedStamp = true;
        } else if (option == QLatin1String("--memory-full")) {
            options.gatewayFaults.memoryFull = true;
        } else if (option == QLatin1String("--answer-other-function")) {
            options.gatewayFaults.answerOtherFunction = true;
        } else if (option == QLatin1String("--corrupt-stored-block")) {
            options.gatewayFaults.corruptStoredBlock = true;
        } else if (option == QLatin1String("--check")) {
            options.action = QelnetOptions::Action::Check;
        } else if (option == QLatin1String("--make-image")) {
            const auto source = value(i, option);
            const auto image = source ? value(i, option) : std::nullopt;
            if (!image)
                return std::nullopt;
            options.action = QelnetOptions::Action::MakeImage;
            options.source = *source;
            options.image = *image;
        } else if (option == QLatin1String("--show-image")) {
            const auto image = value(i, option);
            if (!image)
                return std::nullopt;
            options.action = QelnetOptions::Action::ShowImage;
            options.image = *image;
        } else {
            error = QStringLiteral("unknown option \"%1\"").arg(option);
            return std::nullopt;
        }
    }
    if (options.action == QelnetOptions::Action::Check && options.socketPath.isEmpty()) {
        error = QStringLiteral("--check needs --socket");
        return std::nullopt;
    }
    if (options.action == QelnetOptions::Action::Serve) {
        if (options.socketPath.isEmpty()) {
            error = QStringLiteral("--socket is missing");
            return std::nullopt;
        }
        if (options.gateways.empty()) {
            error = QStringLiteral("at least one --gateway or --gateway-folder is needed");
            return std::nullopt;
        }
    }
    return options;
}
