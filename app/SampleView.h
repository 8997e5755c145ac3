// CSampleView: the editor's view of a Zarn document: the edit view with Zarn colouring, the
// document's buffer and font, and commands passed on to the document and the windows.
#pragma once

#include "editview/EditView.h"

class CSampleDoc;

class CSampleView : public CTextEditView {
    Q_OBJECT

public:
    explicit CSampleView(QWidget* pParent = nullptr);
    ~CSampleView() override;

    // The document the view shows; null for a view shown without one.
    CSampleDoc* GetDocument() const { return m_pDocument; }

    // The buffer a view without a document shows (a preview, a benchmark).
    void SetDocumentBuffer(CTextBuffer* pBuffer) { m_pDocumentBuffer = pBuffer; }

    // The font of a view without a document: the one every document starts with.
    static LogFont DocumentFont();

    uint32_t ParseLine(uint32_t dwState, int nLine, ColorBlock* pBlocks, int& nBlocks) override;
    bool AdvanceParsePoint(int nLine, ParsePoint& point, int nTo) override;
    void ParseLineWindow(int nLine, const ParsePoint& point, int nTo, ColorBlock* pBlocks,
                         int& nBlocks) override;
    CTextBuffer* LocateBuffer() override;
    void OnInitialUpdate() override;

    // Key-table and context-menu commands go on from the view to its document, its window,
    // the main window and the application.
    bool RouteCommand(unsigned nId) override;
    bool RouteUpdateCmdUI(unsigned nId, CCmdUI& cmdUI) override;
    // Whether the view itself has a command handler for nId.
    bool HasCommandHandler(unsigned nId) const;

private:
    friend class CSampleDoc; // AddView and RemoveView set m_pDocument

    CSampleDoc* m_pDocument = nullptr;
    CTextBuffer* m_pDocumentBuffer = nullptr;
};
