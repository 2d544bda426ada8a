#pragma once

#include "cMP3ID3v1.h"

#include <QDialog>

class ID3tag;
class QComboBox;
class QLineEdit;
class QPushButton;
class MessageBoxService;

// The tag editor "Edit ID3v1 Tag": shows the output file's tag and, on OK, fills the pending tag
// (the session's PendingTag, for the encodings to come) and writes the boxes into the output file
// when it exists. Made afresh for each showing, so that it always shows the current output. Cancel
// changes nothing. The output file is "" while the encoder has no output name. Controls carry their
// given names as object names. UI thread only.
class frmID3 : public QDialog
{
    Q_OBJECT

public:
    frmID3(MessageBoxService& boxes, ID3tag& pending, QString outputFile, QWidget* owner = nullptr);
    ~frmID3() override;

    // "Artist: " with the output file's whole artist field and one blank; "" when there is no
    // output file. Reads only.
    static QString showMp3TagsSB1(MessageBoxService& boxes, const QString& outputFile);

    QLineEdit* txtTrackNo = nullptr;
    QLineEdit* txtTitle = nullptr;
    QLineEdit* txtAlbum = nullptr;
    QLineEdit* txtArtist = nullptr;
    QLineEdit* txtComments = nullptr;
    QLineEdit* txtYear = nullptr;
    QComboBox* cmbGenre = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* Command1 = nullptr;

private:
    void buildControls();
    void FillGenres();
    void ShowTags();
    void cmdOk_Click();
    void WriteTags();
    // The entry whose name is the genre box's text; 0 (no genre) when none is.
    int genreEntry() const;

    ID3tag& m_pending;
    QString m_outputFile;
    cMP3ID3v1 m_Mp3Tag;
};
