#pragma once
// Readable failure messages for the guided setup's steps and for usage events (gtest finds PrintTo by
// argument-dependent lookup).

#include "setup/SetupFlowModel.h"
#include "telemetry/JSONValue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <ostream>

namespace qlan {

inline void PrintTo(const JSONValue& value, std::ostream* out) {
    const std::optional<QJsonValue> json = value.toJson();
    if (!json) {
        *out << "<not encodable>";
    } else if (json->isObject()) {
        *out << QJsonDocument(json->toObject()).toJson(QJsonDocument::Compact).toStdString();
    } else if (json->isArray()) {
        *out << QJsonDocument(json->toArray()).toJson(QJsonDocument::Compact).toStdString();
    } else {
        *out << QJsonDocument(QJsonArray{*json}).toJson(QJsonDocument::Compact).toStdString();
    }
}

inline void PrintTo(const TelemetryEvent& event, std::ostream* out) {
    *out << event.name.toStdString() << ' ';
    PrintTo(JSONValue::object(event.properties), out);
}

inline void PrintTo(const SetupFlowModel::Step& step, std::ostream* out) {
    using Kind = SetupFlowModel::Step::Kind;
    switch (step.kind) {
    case Kind::readinessWarning:
        if (!step.warning)
            *out << "readinessWarning(none)";
        else if (const auto* network = std::get_if<NetworkReadinessResult>(&*step.warning))
            *out << "readinessWarning(network " << toText(network->verdict).toStdString() << ')';
        else
            *out << "readinessWarning(disk "
                 << toText(std::get<DiskReadinessResult>(*step.warning).verdict).toStdString() << ')';
        return;
    case Kind::stage:
        *out << "stage(" << step.domainID.toStdString() << ')';
        return;
    case Kind::loading:
        *out << "loading";
        return;
    case Kind::diagnosisSummary:
        *out << "diagnosisSummary";
        return;
    case Kind::interstitial:
        *out << "interstitial";
        return;
    case Kind::verifying:
        *out << "verifying";
        return;
    case Kind::keepGoingGate:
        *out << "keepGoingGate";
        return;
    case Kind::outcome:
        *out << "outcome";
        return;
    case Kind::nps:
        *out << "nps";
        return;
    }
}

} // namespace qlan
