#pragma once

#include <QString>

class ArticleWindowControls;

// How a save went: the articles walked, how many of them could not be saved in full, how many
// were left out as saved before, and how many kept only their .html for want of LibreOffice.
struct SaveOutcome {
    int articles = 0;
    int failed = 0;
    int skipped = 0;
    int withoutWordDoc = 0;
    bool noted = true;          // the save record and the reading copy were written
    bool picturesSaved = true;  // every picture was saved and the photos listed whole

    // Whether every article walked was saved in every file the format asks for, and its
    // pictures with it.
    bool AllSaved() const { return failed == 0 && withoutWordDoc == 0 && picturesSaved; }
};

// The "保存文章" run: requests the page of every row of the article list and writes it into
// a folder per category beneath the space folder in the format the format box names
// ("html", "txt" or "html & doc"; any other text saves nothing and says so), pausing two seconds
// per article, then reports the end and opens the space folder. An article whose page request fails
// or is answered with an error status gets no file and, like one whose file or Word document could
// not be written, is counted as failed and named in the final status. Word documents are made in
// the background during the pauses and the save ends once all are made; without LibreOffice the
// .html files are kept and the final status counts the articles left without a document. When the
// controls ask for it, an article whose files are all there and not empty is neither requested nor
// waited for, and counted apart. An empty list makes no folder and notes nothing; the list of a
// space the catalogue found missing is not saved at all. The final status also names the
// catalogue's unread pages. A row whose file could not be written is noted as failed in the
// save record, beside any earlier copy. Throws platform::RunStopped when the pump asks the run
// to stop; no file is written after that. When the controls ask for them, the pictures the
// articles show (those saved before too) and the space's photos follow the articles
// (FetchPictures), and the final status counts them. The controls are told the outcome when
// the save ends.
SaveOutcome RunArticleSave(ArticleWindowControls& controls);

// The status for a typed format that is none of the three: nothing would be saved.
QString UnknownFormatCaption(const QString& format);
