// CCommandActions: building the actions, menus and toolbar from the resource tables, and
// applying the update handlers' answers to them.
#include "app/CommandActions.h"

#include "resources/CommandIds.h"
#include "resources/CommandTable.h"
#include "resources/KeyTables.h"
#include "resources/MenuItem.h"
#include "resources/Menus.h"
#include "resources/StringTable.h"
#include "resources/ZarnResources.h"
#include "view/TextTransfer.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {

// The recent-file entries the menus show, all in the place of the first.
constexpr unsigned MRU_ENTRIES = 4;

// The keys the main key table gives nId. Enter on the keypad is the same key as Return.
QList<QKeySequence> ShortcutsOf(unsigned nId) {
    QList<QKeySequence> keys;
    for (const KeyBinding& binding : GetMainKeyTable()) {
        if (binding.nCommand != nId)
            continue;
        keys.append(
            QKeySequence(QKeyCombination(binding.modifiers, static_cast<Qt::Key>(binding.nKey))));
        if (binding.nKey == Qt::Key_Return)
            keys.append(QKeySequence(QKeyCombination(binding.modifiers, Qt::Key_Enter)));
    }
    return keys;
}

} // namespace

CCommandActions::CCommandActions(QWidget* pWindow, Executor fnExecute, Updater fnUpdate)
    : QObject(pWindow), m_pWindow(pWindow), m_fnExecute(std::move(fnExecute)),
      m_fnUpdate(std::move(fnUpdate)) {
    InitZarnResources();
    for (const CommandInfo& info : GetCommandTable()) {
        auto* pAction = new QAction(QString::fromLatin1(info.pszText), pWindow);
        pAction->setData(info.nId);
        pAction->setShortcuts(ShortcutsOf(info.nId));
        // The prompt string holds the status-bar prompt and, after a line feed, the tool tip.
        const QString strPrompt =
            info.nPromptId ? BytesToText(LoadResString(info.nPromptId)) : QString();
        const qsizetype nBreak = strPrompt.indexOf(u'\n');
        pAction->setStatusTip(strPrompt.left(nBreak));
        if (nBreak >= 0)
            pAction->setToolTip(strPrompt.mid(nBreak + 1));
        // The images are the toolbar's; the menus show text only.
        if (info.pszIcon)
            pAction->setIcon(QIcon(QString::fromLatin1(info.pszIcon)));
        pAction->setIconVisibleInMenu(false);
        pWindow->addAction(pAction);
        const unsigned nId = info.nId;
        connect(pAction, &QAction::triggered, this, [this, nId] { m_fnExecute(nId); });
        m_mapActions[nId] = pAction;
        if (!pAction->shortcuts().isEmpty())
            m_listShortcutActions.append(pAction);
    }
    for (const auto& [nId, pAction] : m_mapActions)
        m_listAllActions.append(pAction);
}

CCommandActions::~CCommandActions() = default;

QAction* CCommandActions::GetAction(unsigned nId) const {
    const auto it = m_mapActions.find(nId);
    return it != m_mapActions.end() ? it->second : nullptr;
}

unsigned CCommandActions::GetCommandId(const QAction* pAction) {
    return pAction ? pAction->data().toUInt() : 0;
}

const QList<QMenu*>& CCommandActions::GetMenus(unsigned nMenuId) {
    auto it = m_mapMenus.find(nMenuId);
    if (it == m_mapMenus.end()) {
        BuiltMenu built;
        for (const MenuItem& popup : GetMenu(nMenuId))
            built.menus.append(BuildPopup(popup, built));
        it = m_mapMenus.emplace(nMenuId, std::move(built)).first;
    }
    return it->second.menus;
}

QMenu* CCommandActions::BuildPopup(const MenuItem& popup, BuiltMenu& built) {
    auto* pMenu = new QMenu(QString::fromLatin1(popup.pszText), m_pWindow);
    for (const MenuItem& item : popup.items) {
        if (!item.pszText) {
            pMenu->addSeparator();
        } else if (!item.items.empty()) {
            pMenu->addMenu(BuildPopup(item, built));
        } else if (QAction* pAction = GetAction(item.nId)) {
            pMenu->addAction(pAction);
            built.texts.emplace_back(pAction, QString::fromLatin1(item.pszText));
            // The recent-file slot holds all entries; their update gives their texts.
            if (item.nId == ID_FILE_MRU_FIRST) {
                for (unsigned n = 1; n < MRU_ENTRIES; ++n) {
                    if (QAction* pEntry = GetAction(ID_FILE_MRU_FIRST + n))
                        pMenu->addAction(pEntry);
                }
            }
        }
    }
    connect(pMenu, &QMenu::aboutToShow, this, [this, pMenu] { UpdateActions(pMenu->actions()); });
    return pMenu;
}

void CCommandActions::InstallMenu(QMenuBar* pMenuBar, unsigned nMenuId) {
    if (nMenuId == m_nInstalledMenu)
        return;
    const QList<QMenu*>& menus = GetMenus(nMenuId);
    pMenuBar->clear();
    for (QMenu* pMenu : menus)
        pMenuBar->addMenu(pMenu);
    for (const auto& [pAction, strText] : m_mapMenus.at(nMenuId).texts)
        pAction->setText(strText);
    m_nInstalledMenu = nMenuId;
}

void CCommandActions::FillToolBar(QToolBar* pToolBar) const {
    for (const unsigned nId : GetMainToolBar()) {
        if (nId == 0)
            pToolBar->addSeparator();
        else if (QAction* pAction = GetAction(nId))
            pToolBar->addAction(pAction);
    }
}

void CCommandActions::UpdateActions(const QList<QAction*>& actions) const {
    for (QAction* pAction : actions) {
        const unsigned nId = GetCommandId(pAction);
        if (nId == 0 || pAction->isSeparator() || pAction->menu())
            continue;
        CCmdUI cmdUI(nId);
        m_fnUpdate(cmdUI);
        ApplyCmdUI(pAction, cmdUI);
    }
}

void CCommandActions::UpdateAllActions() const {
    UpdateActions(m_listAllActions);
}

void CCommandActions::UpdateShortcutActions() const {
    UpdateActions(m_listShortcutActions);
}

void CCommandActions::ApplyCmdUI(QAction* pAction, const CCmdUI& cmdUI) const {
    pAction->setEnabled(cmdUI.IsEnabled());
    if (cmdUI.WasCheckSet()) {
        pAction->setCheckable(true);
        pAction->setChecked(cmdUI.GetCheck() != 0);
    }
    if (cmdUI.WasTextSet()) {
        const QString strText = QString::fromStdString(cmdUI.GetText());
        pAction->setVisible(!strText.isEmpty());
        if (!strText.isEmpty())
            pAction->setText(strText);
    }
}
