#pragma once

class ArticleWindowControls;

// How a save went: the articles walked and how many of them could not be saved in full.
struct SaveOutcome {
    int articles = 0;
    int failed = 0;
};

// The "保存文章" run: requests the page of every row of the article list and writes it into
// a folder per category beneath the space folder in the format the format box names
// ("html", "txt" or "html & doc"; any other text saves nothing), pausing two seconds per
// article, then reports the end and opens the space folder. An article whose page request
// fails or is answered with an error status gets no file and, like one whose file or Word document
// could not be written, is counted as failed and named in the final status. Throws
// platform::RunStopped when the pump asks the run to stop; no file is written after that.
SaveOutcome RunArticleSave(ArticleWindowControls& controls);
