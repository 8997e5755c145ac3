// Driving the modal dialogs that commands run: the test's steps run inside the dialog's own
// event loop, found as the active modal widget, and the dialog is closed afterwards.
#pragma once

#include "view/UserPrompts.h"

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

// Runs fn on the modal dialog of type TDialog as soon as the next command shows it. A dialog
// that fn leaves open is cancelled, so a failing step cannot leave the test waiting.
template <typename TDialog>
void WhenModalShows(std::function<void(TDialog&)> fn) {
    QTimer::singleShot(0, [fn = std::move(fn)] {
        QWidget* pModal = QApplication::activeModalWidget();
        auto* pDialog = qobject_cast<TDialog*>(pModal);
        if (!pDialog) {
            ADD_FAILURE() << "the expected dialog is not shown";
            if (pModal)
                pModal->close();
            return;
        }
        fn(*pDialog);
        if (pDialog->isVisible())
            pDialog->reject();
    });
}

// The button, edit or other control of a dialog by its object name, which carries its id.
template <typename TControl>
TControl& Control(QWidget& dialog, const char* pszName) {
    auto* pControl = dialog.findChild<TControl*>(QString::fromLatin1(pszName));
    if (!pControl) {
        // Steps run inside Qt's event loop, which no exception may cross.
        ADD_FAILURE() << "the dialog has no control " << pszName;
        std::abort();
    }
    return *pControl;
}

// The object names of the widgets that Tab visits, in order, starting at first.
inline std::vector<std::string> TabOrder(QWidget& first) {
    std::vector<std::string> order;
    QWidget* pWidget = &first;
    do {
        if (pWidget->focusPolicy() & Qt::TabFocus)
            order.push_back(pWidget->objectName().toStdString());
        pWidget = pWidget->nextInFocusChain();
    } while (pWidget != &first);
    return order;
}

// Records every message box instead of showing it, answering OK, while it lives.
class CMessageLog {
public:
    CMessageLog() {
        SetMessageBoxHandler([this](const QString& strText, QMessageBox::StandardButtons) {
            m_messages.push_back(strText.toStdString());
            return QMessageBox::Ok;
        });
    }
    ~CMessageLog() { SetMessageBoxHandler({}); }
    CMessageLog(const CMessageLog&) = delete;
    CMessageLog& operator=(const CMessageLog&) = delete;

    const std::vector<std::string>& Messages() const { return m_messages; }
    void Clear() { m_messages.clear(); }

private:
    std::vector<std::string> m_messages;
};
