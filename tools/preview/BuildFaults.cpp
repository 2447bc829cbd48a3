// Wording the faults of a build, and choosing the build to show.
#include "tools/preview/BuildFaults.h"

#include "rules/ShowFiles.h"
#include "tools/lib/base/DriverLog.h"
#include "tools/lib/base/Finding.h"

namespace {

// One message of the driver's log after `where`: "<where>[:<line>]: error: <message>", or the
// driver's own line when it names no severity.
std::vector<std::string> faultLines(const std::string& where, bool withLine, std::string_view log,
                                    std::string_view source = {})
{
    std::vector<std::string> faults;
    for (const DriverMessage& message : readDriverLog(log, Severity::Error, source)) {
        if (message.severityNamed)
            faults.push_back(formatFinding({where, withLine ? message.line : 0, message.severity, message.message}));
        else
            faults.push_back(where + ": " + message.message);
    }
    return faults;
}

}  // namespace

std::vector<std::string> compileFaults(std::string_view path, std::string_view log, std::string_view source)
{
    std::vector<std::string> faults = faultLines(std::string(path), true, log, source);
    if (faults.empty())
        faults.push_back(std::string(path) + ": does not compile");
    return faults;
}

std::vector<std::string> linkFaults(std::string_view name, const ProgramSource& source, std::string_view log)
{
    // A link log's line numbers could belong to either stage; the config line names the program.
    std::string where = std::string(kShowConfigPath) + ":" + std::to_string(source.configLine) + ": program \"" +
                        std::string(name) + "\" does not link";
    std::vector<std::string> faults = faultLines(where, false, log);
    if (faults.empty())
        faults.push_back(where);
    return faults;
}

bool replacesShown(BuildQuality shown, BuildQuality candidate)
{
    if (candidate == BuildQuality::Sound)
        return true;
    return candidate == BuildQuality::Faulty && shown != BuildQuality::Sound;
}
