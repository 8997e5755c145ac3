// COutputPage: the page that fills the Output bar, holding the Output edit.
#pragma once

#include <memory>

#include <QSize>
#include <QWidget>

class COutputEdit;
class Ui_COutputPage;

// The edit fills the page with a 5-pixel margin on every side. The page is a plain child
// widget rather than a dialog, so that Escape in the pane cannot close it.
class COutputPage : public QWidget {
    Q_OBJECT

public:
    explicit COutputPage(QWidget* pParent = nullptr);
    ~COutputPage() override;

    COutputEdit* GetOutputEdit() const;

    // The size the page is designed with: what the Output bar opens with.
    QSize sizeHint() const override;

private:
    std::unique_ptr<Ui_COutputPage> m_pUi;
    QSize m_sizeDesign;
};
