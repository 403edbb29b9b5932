#include "arbor/server/classtable.h"

#include "arbor/control/cgeneral.h"
#include "arbor/control/cxtreeview.h"
#include "arbor/hosting/ccontrolholder.h"
#include "arbor/hosting/ceventinfo.h"
#include "arbor/groups/cgroups.h"
#include "arbor/ids.h"

#include <QFile>
#include <QString>

namespace arbor::server {

namespace {

const ServedClass kClasses[] = {
    { "Arbor", &CLSID_Arbor, 101, &arbor::getTreeViewFactory },
    { "General", &CLSID_General, 105, &arbor::getGeneralFactory },
    { "ControlHolder", &CLSID_ControlHolder, 234, &arbor::getControlHolderFactory },
    { "Control", &CLSID_Control, 233, &arbor::getControlFactory },
    { "EventInfo", &CLSID_EventInfo, 236, &arbor::getEventInfoFactory },
    { "EventParamInfo", &CLSID_EventParamInfo, 237, &arbor::getEventParamInfoFactory },
    { "EventsParamInfo", &CLSID_EventsParamInfo, 238, &arbor::getEventsParamInfoFactory },
    { "Group", &CLSID_Group, 108, &arbor::getGroupFactory },
    { "Groups", &CLSID_Groups, 109, &arbor::getGroupsFactory },
};

} // namespace

std::span<const ServedClass> servedClasses() noexcept
{
    return kClasses;
}

std::optional<std::string> registryScript(int number)
{
    // The scripts are compiled into the module as Qt resources under :/arbor/REGISTRY/<number>.
    QFile file(QStringLiteral(":/arbor/REGISTRY/%1").arg(number));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

} // namespace arbor::server
