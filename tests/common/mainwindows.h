#pragma once

// The suite's three main windows, and Simulator_3810's Site window, on fake seams, for tests that go
// through all of them alike.
#include "fakes.h"
#include "pingfakes.h"
#include "r5device/qtseriallink.h"
#include "r5setup/ui/mainwindow.h"
#include "sim/frmsimulator.h"
#include "ui/frmsim3810.h"
#include "ui/frmsite.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace r5::test {

struct MainWindows
{
    using Make = std::function<std::unique_ptr<QWidget>()>;

    Make devsetup()
    {
        return [this] {
            return std::make_unique<r5setup::MainWindow>(r5setup::Services{prompter, clock, launcher},
                                                         std::make_unique<r5setup::QtSerialLink>());
        };
    }
    Make simulator()
    {
        return
            [this] { return std::make_unique<r5::sim::frmSimulator>(prompter, clock, launcher, dir.path()); };
    }
    Make simulator3810()
    {
        return [this] {
            return std::make_unique<disim::frmSim_3810>(
                disim::frmSim_3810::Services{prompter, clock, launcher, resolver, echo, dir.path()});
        };
    }

    // Watching nothing: the window as it opens, with no traffic.
    Make site()
    {
        return [this] {
            return std::make_unique<disim::frmSite>(
                disim::frmSite::Services{prompter, clock, launcher, resolver,
                                         [] { return std::make_unique<disim::test::FakeEcho>(); },
                                         dir.path()},
                QList<r5site::SiteEntry>{}, dir.filePath(QStringLiteral("site.csv")));
        };
    }

    QTemporaryDir dir;
    FakePrompter prompter;
    FakeClock clock;
    FakeLauncher launcher;
    disim::test::FakeResolver resolver;
    disim::test::FakeEcho echo;
};

} // namespace r5::test
