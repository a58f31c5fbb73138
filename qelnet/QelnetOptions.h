#pragma once
// The command line of qelnetd.

#include "QelnetServer.h"
#include "SimulatedGateway.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

struct QelnetOptions {
    enum class Action { Serve, Check, MakeImage, ShowImage, Help, Version };

    Action action = Action::Serve;
    QString socketPath;
    std::vector<std::pair<uint16_t, QString>> gateways; // network number, image file
    QString tracePath;
    LinkFaults linkFaults;
    GatewayFaults gatewayFaults;
    QString source; // --make-image
    QString image;  // --make-image, --show-image
};

// The options of an argument list (without the program name); nothing and the
// reason when they do not make sense.
std::optional<QelnetOptions> ParseQelnetOptions(const QStringList& arguments, QString& error);

extern const char* const QelnetUsage;
