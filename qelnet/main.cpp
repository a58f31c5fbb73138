// qelnetd: the communication server with simulated gateways, and the tool
// that makes and lists gateway images.

#include "GatewayImage.h"
#include "ImageReport.h"
#include "ImageSource.h"
#include "protocol/Version.h"
#include "QelnetOptions.h"
#include "QelnetServer.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

enum ExitCode { Success = 0, Failure = 1, Usage = 2 };

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

int fail(const QString& text)
{
    std::fprintf(stderr, "qelnetd: %s\n", qPrintable(text));
    return Failure;
}

int makeImage(const QelnetOptions& options)
{
    std::string error;
    const std::optional<GatewayState> state = ReadImageSource(options.source.toStdString(), error);
    if (!state)
        return fail(options.source + QStringLiteral(": ") + QString::fromStdString(error));
    if (const auto failure = WriteGatewayImage(options.image.toStdString(), *state))
        return fail(options.image + QStringLiteral(": ") + QString::fromStdString(*failure));
    return Success;
}

int showImage(const QelnetOptions& options)
{
    std::string error;
    const std::optional<GatewayState> state = ReadGatewayImage(options.image.toStdString(), error);
    if (!state)
        return fail(options.image + QStringLiteral(": ") + QString::fromStdString(error));
    std::fputs(DescribeGatewayState(*state).c_str(), stdout);
    return Success;
}

int serve(const QelnetOptions& options)
{
    QelnetServer server(options.linkFaults);
    for (const auto& [network, image] : options.gateways) {
        std::string error;
        std::optional<GatewayState> state = ReadGatewayImage(image.toStdString(), error);
        if (!state)
            return fail(image + QStringLiteral(": ") + QString::fromStdString(error));
        if (state->network != network)
            return fail(image + QStringLiteral(": the image is of network %1, not %2")
                                    .arg(state->network, 3, 10, QLatin1Char('0'))
                                    .arg(network, 3, 10, QLatin1Char('0')));
        auto gateway = std::make_unique<SimulatedGateway>(std::move(*state), options.gatewayFaults);
        gateway->setImageFile(image.toStdString());
        server.addGateway(std::move(gateway));
    }
    QString error;
    if (!options.tracePath.isEmpty() && !server.setTrace(options.tracePath, error))
        return fail(options.tracePath + QStringLiteral(": ") + error);

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return fail(QStringLiteral("cannot set up signal handling"));
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, qApp, &QCoreApplication::quit);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    if (!server.listen(options.socketPath, error))
        return fail(options.socketPath + QStringLiteral(": ") + error);
    const int result = QCoreApplication::exec();
    server.close();
    return result == 0 ? Success : Failure;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QString error;
    const std::optional<QelnetOptions> options = ParseQelnetOptions(app.arguments().mid(1), error);
    if (!options) {
        std::fprintf(stderr, "qelnetd: %s\n(qelnetd --help tells the options)\n", qPrintable(error));
        return Usage;
    }
    switch (options->action) {
    case QelnetOptions::Action::Help:
        std::fputs(QelnetUsage, stdout);
        return Success;
    case QelnetOptions::Action::Version:
        std::printf("qelnetd %s\n", VeltVersion);
        return Success;
    case QelnetOptions::Action::Check:
        return QelnetServer::ServerListens(options->socketPath) ? Success : Failure;
    case QelnetOptions::Action::MakeImage:
        return makeImage(*options);
    case QelnetOptions::Action::ShowImage:
        return showImage(*options);
    case QelnetOptions::Action::Serve:
        break;
    }
    return serve(*options);
}
