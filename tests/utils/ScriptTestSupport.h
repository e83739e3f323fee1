#pragma once

#include <libxml/tree.h>

#include <string>
#include <tuple>
#include <vector>

#include "link/CommandJob.h"
#include "model/SettingBinding.h"

// Command, progress text and time-out of each job, for comparing whole scripts.
using JobSpec = std::tuple<std::string, std::string, int>;

inline std::vector<JobSpec> Specs(const JobList& jobs) {
    std::vector<JobSpec> specs;
    for (const CommandJob& job : jobs) {
        specs.emplace_back(job.GetCommand(), job.GetText(), job.GetTimeout());
    }
    return specs;
}

// One value of a tree, as a page would read it ("group/field").
inline std::string ValueAt(xmlNodePtr groups, const std::string& path) {
    std::string value;
    ReadSetting([](int) {}, {{path, &value, nullptr, 0, nullptr, kTextSetting, {}, {}}}, groups);
    return value;
}

// Changes one value of a tree, as a page's apply would.
inline void ChangeValue(xmlNodePtr groups, const std::string& path, std::string value) {
    WriteSetting({{path, &value, nullptr, 0, nullptr, kTextSetting, {}, {}}}, groups);
}

inline std::string SettingsReply(const std::string& apn) {
    return "<rci_reply version='1.1'><query_setting><mobile_simple><apn>" + apn +
           "</apn></mobile_simple></query_setting></rci_reply>";
}

inline std::string StateReply(const std::string& firmware) {
    return "<rci_reply version='1.1'><query_state><device_info><product>Linkhold R7</product>"
           "<firmwaresoftrevstr>" +
           firmware + "</firmwaresoftrevstr></device_info></query_state></rci_reply>";
}

inline const std::string kSettingsQueryCommand =
    "at&usbinterface=20,\"<rci_request version='1.1'><query_setting></query_setting>"
    "</rci_request>\"\r\n";
inline const std::string kStateQueryCommand =
    "at&usbinterface=20,\"<rci_request version='1.1'><query_state/></rci_request>\"\r\n";
