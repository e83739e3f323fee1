#pragma once

#include <string>
#include <utility>
#include <vector>

#include "link/ModemPort.h"
#include "model/ConfigModel.h"
#include "model/DeviceInfo.h"
#include "model/DeviceInfoCollection.h"
#include "tests/support/SimGateway.h"
#include "tests/support/TestClocks.h"
#include "tests/support/WorkerScriptRunner.h"

// The program's link and trees against the simulated gateway, after the
// start-up collection. Time runs twenty times faster than real, so the
// 20-second pause of an apply takes one second.
struct LinkedGateway {
    explicit LinkedGateway(std::vector<std::string> simArgs = {})
        : sim(std::move(simArgs)), clock(20), port(clock), runner(port) {
        port.SetPortName(sim.LinkPath());
        DeviceInfo info;
        ready = port.Open() && CollectDeviceInfo(runner, model, info).complete;
    }

    // The commands the gateway received from the given one on.
    std::vector<std::string> CommandsFrom(std::size_t first) const {
        const std::vector<std::string> all = sim.ReceivedCommands();
        return {all.begin() + static_cast<long>(std::min(first, all.size())), all.end()};
    }
    std::vector<std::string> Events() const {
        std::vector<std::string> events;
        for (const SimRecord& record : sim.Records()) {
            if (record.kind == "event")
                events.push_back(record.bytes);
        }
        return events;
    }

    SimGateway sim;
    ScaledClock clock;
    ModemPort port;
    WorkerScriptRunner runner;
    ConfigModel model;
    bool ready = false;
};
