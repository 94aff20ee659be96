#include "ui/TableLink.h"

#include <QPointer>

#include "console/MainForm.h"
#include "gamefolder/GameSession.h"
#include "ui/MainMod.h"

namespace scrivo {

namespace {

QPointer<MainForm>& Instance()
{
    static QPointer<MainForm> form;
    return form;
}

} // namespace

MainForm* TableWindow()
{
    if (Instance().isNull()) {
        auto* form = new MainForm(ProgramSettings(), ProgramLanguage());
        form->setAttribute(Qt::WA_DeleteOnClose, false);
        QObject::connect(form, &MainForm::tableClosed, form, [] { EndProgram(); });
        QObject::connect(form, &MainForm::optionsRequested, form, [] { ShowOptions(); });
        QObject::connect(form, &MainForm::aboutRequested, form, [] { ShowAbout(); });
        QObject::connect(form, &MainForm::instructionsRequested, form, [] { OpenInstructions(); });
        Instance() = form;
    }
    return Instance().data();
}

bool TableWindowLoaded()
{
    return !Instance().isNull();
}

bool TableWindowVisible()
{
    return !Instance().isNull() && Instance()->isVisible();
}

void OpenTableWindow(const GameSession& session)
{
    MainForm* form = TableWindow();
    // The table opens once per program run; a second request only brings it up.
    if (!form->isVisible()) form->Init(session);
    form->show();
    form->raise();
    form->activateWindow();
}

bool UnloadTableWindow()
{
    if (Instance().isNull()) return true;
    return Instance()->close();
}

void RefreshTableLog()
{
    if (!Instance().isNull()) Instance()->MsgRefresh();
}

void DestroyTableWindow()
{
    delete Instance().data();
    Instance() = nullptr;
}

} // namespace scrivo
