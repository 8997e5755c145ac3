// The Document Properties, Get Record Number and About dialogs driven through their widgets:
// what they show, what OK and Cancel write back, the browse request, focus, tab order, layout.
#include "app/AboutDlg.h"
#include "app/DocPropertiesDlg.h"
#include "app/NumberEdit.h"
#include "app/RecordNumberDlg.h"
#include "resources/ZarnResources.h"
#include "tests/support/PrintQString.h"
#include "view/UserPrompts.h"

#include <optional>
#include <vector>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Shows a dialog modelessly and waits until it can take keys.
void ShowActive(QDialog& dlg) {
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
}

template <typename TWidget>
TWidget* Child(QWidget& parent, const char* pszName) {
    auto* pChild = parent.findChild<TWidget*>(pszName);
    EXPECT_NE(pChild, nullptr) << pszName;
    return pChild;
}

// Tab from the focus widget through `order`, which ends where it started.
void ExpectTabOrder(const std::vector<QWidget*>& order) {
    for (QWidget* pNext : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), pNext) << pNext->objectName().toStdString();
    }
}

void TypeIntoNumberField(QLineEdit* pEdit) {
    for (const Qt::Key key : {Qt::Key_1, Qt::Key_2, Qt::Key_A, Qt::Key_Minus, Qt::Key_3})
        QTest::keyClick(pEdit, key);
    QTest::keyClick(pEdit, Qt::Key_Question, Qt::ShiftModifier);
}

class DocPropertiesDlgTest : public testing::Test {
protected:
    void SetUp() override {
        m_pDlg =
            std::make_unique<CDocPropertiesDlg>(nullptr, &m_strFileName, &m_strIdxPath, &m_strGid);
        ShowActive(*m_pDlg);
        m_pFileName = Child<QLineEdit>(*m_pDlg, "IDC_FILENAME_1003");
        m_pGid = Child<CNumberEdit>(*m_pDlg, "IDC_GID_1004");
        m_pIdxPath = Child<QLineEdit>(*m_pDlg, "IDC_IDXPATH_1005");
        m_pBrowse = Child<QPushButton>(*m_pDlg, "IDC_BROWSE_1006");
        m_pOk = Child<QPushButton>(*m_pDlg, "IDOK_1");
        m_pCancel = Child<QPushButton>(*m_pDlg, "IDCANCEL_2");
        ASSERT_TRUE(m_pFileName && m_pGid && m_pIdxPath && m_pBrowse && m_pOk && m_pCancel);
    }

    void TearDown() override { SetFileDialogHandler({}); }

    // Answers the next file dialogs with `strAnswer` and remembers what they were asked.
    void AnswerFileDialogs(const QString& strAnswer) {
        SetFileDialogHandler([this, strAnswer](const FileDialogRequest& request) {
            m_request = request;
            return strAnswer;
        });
    }

    void ReplaceText(QLineEdit* pEdit, const QString& strText) {
        pEdit->setFocus();
        pEdit->selectAll();
        QTest::keyClick(pEdit, Qt::Key_Delete);
        QTest::keyClicks(pEdit, strText);
    }

    QString m_strFileName = "/home/forms/order.zarn";
    QString m_strIdxPath = "/data/MAIN.IDX";
    QString m_strGid = "32-105";
    std::unique_ptr<CDocPropertiesDlg> m_pDlg;
    QLineEdit* m_pFileName = nullptr;
    CNumberEdit* m_pGid = nullptr;
    QLineEdit* m_pIdxPath = nullptr;
    QPushButton* m_pBrowse = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
    std::optional<FileDialogRequest> m_request;
};

TEST_F(DocPropertiesDlgTest, ShowsTheThreePropertiesWithTheGidFocused) {
    EXPECT_EQ(m_pDlg->windowTitle(), "Document Properties");
    EXPECT_EQ(m_pFileName->text(), "/home/forms/order.zarn");
    EXPECT_EQ(m_pGid->text(), "32-105");
    EXPECT_EQ(m_pIdxPath->text(), "/data/MAIN.IDX");
    EXPECT_EQ(QApplication::focusWidget(), m_pGid);
    EXPECT_TRUE(m_pOk->isDefault());
    EXPECT_EQ(Child<QLabel>(*m_pDlg, "IDC_STATIC_FILENAME")->text(), "File Name:");
    EXPECT_EQ(Child<QLabel>(*m_pDlg, "IDC_STATIC_GID")->text(), "GID:");
    EXPECT_EQ(Child<QLabel>(*m_pDlg, "IDC_STATIC_IDXPATH")->text(), "Main IDX Path:");
    EXPECT_EQ(m_pBrowse->text(), "...");
}

TEST_F(DocPropertiesDlgTest, OkWritesGidAndPathButNeverTheFileName) {
    ReplaceText(m_pGid, "77");
    ReplaceText(m_pIdxPath, "/other/MAIN.IDX");
    QTest::mouseClick(m_pOk, Qt::LeftButton);
    EXPECT_EQ(m_pDlg->result(), QDialog::Accepted);
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_strGid, "77");
    EXPECT_EQ(m_strIdxPath, "/other/MAIN.IDX");
    EXPECT_EQ(m_strFileName, "/home/forms/order.zarn");
}

TEST_F(DocPropertiesDlgTest, EnterInTheGidFieldIsOk) {
    ReplaceText(m_pGid, "5");
    QTest::keyClick(m_pGid, Qt::Key_Return);
    EXPECT_EQ(m_pDlg->result(), QDialog::Accepted);
    EXPECT_EQ(m_strGid, "5");
}

TEST_F(DocPropertiesDlgTest, EmptyValuesAreAccepted) {
    ReplaceText(m_pGid, "");
    ReplaceText(m_pIdxPath, "");
    QTest::mouseClick(m_pOk, Qt::LeftButton);
    EXPECT_EQ(m_strGid, "");
    EXPECT_EQ(m_strIdxPath, "");
}

TEST_F(DocPropertiesDlgTest, CancelWritesNothing) {
    ReplaceText(m_pGid, "77");
    ReplaceText(m_pIdxPath, "/other/MAIN.IDX");
    QTest::mouseClick(m_pCancel, Qt::LeftButton);
    EXPECT_EQ(m_pDlg->result(), QDialog::Rejected);
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_strGid, "32-105");
    EXPECT_EQ(m_strIdxPath, "/data/MAIN.IDX");
}

TEST_F(DocPropertiesDlgTest, BrowseAsksForAnExistingIdxFileAndFillsThePathField) {
    AnswerFileDialogs("/records/long path/MAIN.IDX");
    QTest::mouseClick(m_pBrowse, Qt::LeftButton);
    ASSERT_TRUE(m_request.has_value());
    EXPECT_FALSE(m_request->bSave);
    EXPECT_TRUE(m_request->bMustExist);
    EXPECT_EQ(m_request->strFilter, "Database Records File (*.idx)");
    EXPECT_EQ(m_request->strDefaultSuffix, "idx");
    EXPECT_EQ(m_request->strInitialPath, "*.idx");
    EXPECT_EQ(m_pIdxPath->text(), "/records/long path/MAIN.IDX");
    // Only the field changed: the document hears of it on OK.
    EXPECT_EQ(m_strIdxPath, "/data/MAIN.IDX");
    QTest::mouseClick(m_pOk, Qt::LeftButton);
    EXPECT_EQ(m_strIdxPath, "/records/long path/MAIN.IDX");
}

TEST_F(DocPropertiesDlgTest, CancelAfterBrowsingWritesNothing) {
    AnswerFileDialogs("/records/MAIN.IDX");
    QTest::mouseClick(m_pBrowse, Qt::LeftButton);
    ASSERT_EQ(m_pIdxPath->text(), "/records/MAIN.IDX");
    QTest::mouseClick(m_pCancel, Qt::LeftButton);
    EXPECT_EQ(m_strIdxPath, "/data/MAIN.IDX");
    EXPECT_EQ(m_strGid, "32-105");
}

TEST_F(DocPropertiesDlgTest, EnterAfterBrowsingIsOkNotAnotherBrowse) {
    int nAsked = 0;
    SetFileDialogHandler([&nAsked](const FileDialogRequest&) {
        ++nAsked;
        return QStringLiteral("/records/MAIN.IDX");
    });
    m_pBrowse->setFocus();
    QTest::keyClick(m_pBrowse, Qt::Key_Space);
    ASSERT_EQ(nAsked, 1);
    ASSERT_EQ(m_pIdxPath->text(), "/records/MAIN.IDX");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(nAsked, 1);
    EXPECT_EQ(m_pDlg->result(), QDialog::Accepted);
    EXPECT_EQ(m_strIdxPath, "/records/MAIN.IDX");
}

TEST_F(DocPropertiesDlgTest, CancelledBrowseLeavesThePathField) {
    AnswerFileDialogs(QString());
    QTest::mouseClick(m_pBrowse, Qt::LeftButton);
    ASSERT_TRUE(m_request.has_value());
    EXPECT_EQ(m_pIdxPath->text(), "/data/MAIN.IDX");
    EXPECT_TRUE(m_pDlg->isVisible());
}

TEST_F(DocPropertiesDlgTest, FileNameCannotBeEdited) {
    EXPECT_TRUE(m_pFileName->isReadOnly());
    m_pFileName->setFocus();
    QTest::keyClick(m_pFileName, Qt::Key_End);
    QTest::keyClicks(m_pFileName, "x");
    QTest::keyClick(m_pFileName, Qt::Key_Backspace);
    QGuiApplication::clipboard()->setText("pasted");
    QTest::keyClick(m_pFileName, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(m_pFileName->text(), "/home/forms/order.zarn");
}

TEST_F(DocPropertiesDlgTest, GidFieldFiltersKeysAndHoldsTenCharacters) {
    ReplaceText(m_pGid, "");
    TypeIntoNumberField(m_pGid);
    EXPECT_EQ(m_pGid->text(), "12-3?");
    QTest::keyClicks(m_pGid, "4567890");
    EXPECT_EQ(m_pGid->text(), "12-3?45678");
}

TEST_F(DocPropertiesDlgTest, TabRunsInTheOrderOfTheControlList) {
    m_pOk->setFocus();
    ExpectTabOrder({m_pCancel, m_pFileName, m_pGid, m_pIdxPath, m_pBrowse, m_pOk});
}

TEST_F(DocPropertiesDlgTest, ControlsStandWhereTheDialogPlanPutsThem) {
    const QRect rcFile = m_pFileName->geometry();
    const QRect rcGid = m_pGid->geometry();
    const QRect rcPath = m_pIdxPath->geometry();
    const QRect rcBrowse = m_pBrowse->geometry();
    // Three rows, the labels left of their fields, the fields in one column.
    EXPECT_LT(rcFile.bottom(), rcGid.top());
    EXPECT_LT(rcGid.bottom(), rcPath.top());
    EXPECT_LT(Child<QLabel>(*m_pDlg, "IDC_STATIC_IDXPATH")->geometry().right(), rcPath.left());
    EXPECT_EQ(rcFile.left(), rcGid.left());
    EXPECT_EQ(rcFile.left(), rcPath.left());
    EXPECT_EQ(rcFile.right(), rcGid.right());
    // "..." ends the path row at the right edge of the fields above.
    EXPECT_LT(rcPath.right(), rcBrowse.left());
    EXPECT_EQ(rcBrowse.right(), rcFile.right());
    EXPECT_LE(rcBrowse.width(), 24);
    // OK under the labels on the left, Cancel under the fields' right edge, of equal size.
    EXPECT_LT(rcBrowse.bottom(), m_pOk->geometry().top());
    EXPECT_EQ(m_pOk->geometry().top(), m_pCancel->geometry().top());
    EXPECT_LE(m_pOk->geometry().left(), 6);
    EXPECT_EQ(m_pCancel->geometry().right(), rcFile.right());
    EXPECT_EQ(m_pOk->size(), m_pCancel->size());
    // About 221 by 74 dialog units.
    EXPECT_NEAR(m_pDlg->width(), 332, 40);
    EXPECT_NEAR(m_pDlg->height(), 120, 30);
}

TEST(DocPropertiesDlg, ShowsAMissingFileNameAsEmpty) {
    QString strIdxPath;
    QString strGid = "9";
    CDocPropertiesDlg dlg(nullptr, nullptr, &strIdxPath, &strGid);
    dlg.show();
    EXPECT_EQ(dlg.findChild<QLineEdit*>("IDC_FILENAME_1003")->text(), "");
    EXPECT_EQ(dlg.findChild<QLineEdit*>("IDC_GID_1004")->text(), "9");
    QTest::mouseClick(dlg.findChild<QPushButton*>("IDOK_1"), Qt::LeftButton);
    EXPECT_EQ(strGid, "9");
    EXPECT_EQ(strIdxPath, "");
}

TEST(DocPropertiesDlg, GidLongerThanTheFieldLimitSurvivesOk) {
    QString strFileName;
    QString strIdxPath = "/data/MAIN.IDX";
    QString strGid = "1234567890-12345";
    CDocPropertiesDlg dlg(nullptr, &strFileName, &strIdxPath, &strGid);
    dlg.show();
    EXPECT_EQ(dlg.findChild<QLineEdit*>("IDC_GID_1004")->text(), "1234567890-12345");
    QTest::mouseClick(dlg.findChild<QPushButton*>("IDOK_1"), Qt::LeftButton);
    EXPECT_EQ(strGid, "1234567890-12345");
}

class RecordNumberDlgTest : public testing::Test {
protected:
    void SetUp() override {
        m_pDlg = std::make_unique<CRecordNumberDlg>(nullptr, &m_strResult);
        ShowActive(*m_pDlg);
        m_pNumber = Child<CNumberEdit>(*m_pDlg, "IDC_NUMBER_1004");
        m_pOk = Child<QPushButton>(*m_pDlg, "IDOK_1");
        m_pCancel = Child<QPushButton>(*m_pDlg, "IDCANCEL_2");
        ASSERT_TRUE(m_pNumber && m_pOk && m_pCancel);
    }

    QString m_strResult = "before";
    std::unique_ptr<CRecordNumberDlg> m_pDlg;
    CNumberEdit* m_pNumber = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
};

TEST_F(RecordNumberDlgTest, OpensEmptyWithTheNumberFieldFocused) {
    EXPECT_EQ(m_pDlg->windowTitle(), "Get Record Number");
    EXPECT_EQ(Child<QLabel>(*m_pDlg, "IDC_STATIC_RECORD")->text(), "Record #");
    EXPECT_EQ(m_pNumber->text(), "");
    EXPECT_EQ(QApplication::focusWidget(), m_pNumber);
    EXPECT_TRUE(m_pOk->isDefault());
}

TEST_F(RecordNumberDlgTest, OkCopiesTheTypedNumber) {
    TypeIntoNumberField(m_pNumber);
    QTest::mouseClick(m_pOk, Qt::LeftButton);
    EXPECT_EQ(m_pDlg->result(), QDialog::Accepted);
    EXPECT_EQ(m_strResult, "12-3?");
}

TEST_F(RecordNumberDlgTest, EnterIsOk) {
    QTest::keyClicks(m_pNumber, "32-105");
    QTest::keyClick(m_pNumber, Qt::Key_Return);
    EXPECT_EQ(m_pDlg->result(), QDialog::Accepted);
    EXPECT_EQ(m_strResult, "32-105");
}

TEST_F(RecordNumberDlgTest, CancelAndEscapeLeaveTheResultAsItWas) {
    QTest::keyClicks(m_pNumber, "12");
    QTest::mouseClick(m_pCancel, Qt::LeftButton);
    EXPECT_EQ(m_pDlg->result(), QDialog::Rejected);
    EXPECT_EQ(m_strResult, "before");

    ShowActive(*m_pDlg);
    QTest::keyClicks(m_pNumber, "3");
    QTest::keyClick(m_pNumber, Qt::Key_Escape);
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_strResult, "before");
}

TEST_F(RecordNumberDlgTest, NumberFieldHoldsTenCharacters) {
    QTest::keyClicks(m_pNumber, "123456789012");
    QTest::mouseClick(m_pOk, Qt::LeftButton);
    EXPECT_EQ(m_strResult, "1234567890");
}

TEST_F(RecordNumberDlgTest, TabRunsOkCancelNumber) {
    m_pOk->setFocus();
    ExpectTabOrder({m_pCancel, m_pNumber, m_pOk});
}

TEST_F(RecordNumberDlgTest, LabelAndFieldStandAboveOkAndCancel) {
    const QRect rcLabel = Child<QLabel>(*m_pDlg, "IDC_STATIC_RECORD")->geometry();
    const QRect rcNumber = m_pNumber->geometry();
    EXPECT_LT(rcLabel.right(), rcNumber.left());
    EXPECT_LT(rcNumber.bottom(), m_pOk->geometry().top());
    EXPECT_EQ(m_pOk->geometry().left(), rcLabel.left());
    EXPECT_EQ(m_pCancel->geometry().right(), rcNumber.right());
    EXPECT_EQ(m_pOk->size(), m_pCancel->size());
    EXPECT_NEAR(m_pDlg->width(), 228, 30);
}

TEST(AboutDlg, ShowsIconVersionAndTextAndClosesWithOk) {
    CAboutDlg dlg;
    ShowActive(dlg);
    EXPECT_EQ(dlg.windowTitle(), "About ZarnEditor");
    EXPECT_EQ(dlg.findChild<QLabel*>("IDC_STATIC_VERSION")->text(), "ZarnEditor Version 1.1");
    const QString strInfo = dlg.findChild<QLabel*>("IDC_STATIC_INFO")->text();
    EXPECT_EQ(strInfo.count(u'\n'), 1);
    const QPixmap icon = dlg.findChild<QLabel*>("IDC_ICON")->pixmap();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.deviceIndependentSize().toSize(), QSize(32, 32));

    auto* pOk = dlg.findChild<QPushButton*>("IDOK_1");
    EXPECT_TRUE(pOk->isDefault());
    EXPECT_EQ(QApplication::focusWidget(), pOk);
    QTest::keyClick(pOk, Qt::Key_Return);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST(AboutDlg, AppIconComesInFourSizes) {
    const QIcon icon = LoadAppIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (const int nSize : {16, 32, 48, 64}) {
        EXPECT_TRUE(sizes.contains(QSize(nSize, nSize))) << nSize;
        EXPECT_EQ(icon.pixmap(nSize).toImage().size(), QSize(nSize, nSize)) << nSize;
    }
}

} // namespace
