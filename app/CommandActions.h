// CCommandActions: one QAction per command of the command table, shared by the menus (built
// from the menu tables) and the toolbar, with the states the update handlers give them.
#pragma once

#include "view/CmdUI.h"

#include <functional>
#include <map>
#include <span>
#include <utility>
#include <vector>

#include <QList>
#include <QObject>
#include <QString>

struct MenuItem;
class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

// Every action calls the one executor with its command id; every update goes through the
// one updater. An update handler that sets an empty text hides the item (the unused entries
// of the recent-file list).
class CCommandActions : public QObject {
    Q_OBJECT

public:
    using Executor = std::function<void(unsigned nId)>;
    using Updater = std::function<void(CCmdUI& cmdUI)>;

    // The actions belong to pWindow, so that their shortcuts work wherever its focus is.
    CCommandActions(QWidget* pWindow, Executor fnExecute, Updater fnUpdate);
    ~CCommandActions() override;

    // The action of command nId; null for an id the command table does not have.
    QAction* GetAction(unsigned nId) const;
    static unsigned GetCommandId(const QAction* pAction);

    // Fills pMenuBar with the popups of menu nMenuId; the actions take that menu's texts.
    void InstallMenu(QMenuBar* pMenuBar, unsigned nMenuId);
    unsigned GetInstalledMenu() const { return m_nInstalledMenu; }
    // The popups of menu nMenuId, built on first use.
    const QList<QMenu*>& GetMenus(unsigned nMenuId);

    // Adds the buttons of toolbar 128, gaps as separators.
    void FillToolBar(QToolBar* pToolBar) const;

    // Runs the update handlers of the given actions and applies what they say.
    void UpdateActions(const QList<QAction*>& actions) const;
    void UpdateAllActions() const;
    // Only the actions that have keys: what a key press needs up to date.
    void UpdateShortcutActions() const;

private:
    struct BuiltMenu {
        QList<QMenu*> menus;
        std::vector<std::pair<QAction*, QString>> texts; // what this menu calls each action
    };

    QMenu* BuildPopup(const MenuItem& popup, BuiltMenu& built);
    void ApplyCmdUI(QAction* pAction, const CCmdUI& cmdUI) const;

    QWidget* m_pWindow;
    Executor m_fnExecute;
    Updater m_fnUpdate;
    std::map<unsigned, QAction*> m_mapActions;
    QList<QAction*> m_listAllActions; // in the order of their ids
    QList<QAction*> m_listShortcutActions;
    std::map<unsigned, BuiltMenu> m_mapMenus;
    unsigned m_nInstalledMenu = 0;
};
