#include "export/HugoLayouts.h"

const QString kHugoExportMark =
    QStringLiteral("# A Hugo site of a saved space, written by pagewren-cli export");

namespace {

// Every page: the navigation to the lists and the pages of the space that are there, the
// space's own style sheet after the site's.
const char* const kBase = R"(<!DOCTYPE html>
<html lang="{{ site.LanguageCode }}">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{{ if .IsHome }}{{ site.Title }}{{ else }}{{ .Title }} - {{ site.Title }}{{ end }}</title>
<link rel="stylesheet" href="{{ "pagewren.css" | relURL }}">
<link rel="stylesheet" href="{{ "space.css" | relURL }}">
</head>
<body>
<nav class="site">
<a href="{{ "/" | relURL }}">{{ site.Title }}</a>
{{ with site.GetPage "/categories" }}<a href="{{ .RelPermalink }}">文章分类</a>{{ end }}
{{ with site.GetPage "/board" }}<a href="{{ .RelPermalink }}">{{ .Title }}</a>{{ end }}
{{ with site.GetPage "/songs" }}<a href="{{ .RelPermalink }}">{{ .Title }}</a>{{ end }}
{{ with site.GetPage "/comments" }}<a href="{{ .RelPermalink }}">{{ .Title }}</a>{{ end }}
</nav>
<main>
{{ block "main" . }}{{ end }}
</main>
</body>
</html>
)";

// An article in the boxes of the service's page, so that the space's style sheet finds its
// places, then its comments.
const char* const kSingle = R"({{ define "main" }}
<div id="m_blog" class="modbox">
<div class="tit2"><h1>{{ .Title }}</h1></div>
{{ if not .Date.IsZero }}<div class="date">{{ .Date.Format "2006-01-02 15:04" }}</div>{{ end }}
<div id="blog_text" class="cnt">
{{ .Content }}
</div>
<div class="opt">{{ range .GetTerms "categories" }}类别：<a href="{{ .RelPermalink }}">{{ .LinkTitle }}</a> {{ end }}
{{ with .Params.original }}原网址：<a href="{{ . }}">{{ . }}</a>{{ end }}</div>
</div>
{{ with .Params.comments }}
<section class="comments">
<h2>评论（{{ len . }}）</h2>
{{ range . }}<div class="comment"><p class="by">{{ .by }}{{ with .date }}　{{ . }}{{ end }}</p>
<p class="text">{{ .text }}</p></div>
{{ end }}
</section>
{{ end }}
<nav class="turn">
{{ with .PrevInSection }}<a href="{{ .RelPermalink }}" rel="next">下一篇：{{ .Title }}</a>{{ end }}
{{ with .NextInSection }}<a href="{{ .RelPermalink }}" rel="prev">上一篇：{{ .Title }}</a>{{ end }}
</nav>
{{ end }}
)";

// The home page, the posts, a category: the articles newest first, a page at a time; the
// categories: each with its number of articles.
const char* const kList = R"({{ define "main" }}
<h1>{{ .Title }}</h1>
{{ if .IsHome }}{{ .Content }}{{ end }}
{{ if eq .Kind "taxonomy" }}
<ul class="categories">
{{ range .Pages }}<li><a href="{{ .RelPermalink }}">{{ .LinkTitle }}</a>（{{ len .Pages }}）</li>
{{ end }}
</ul>
{{ else }}
{{ $pages := .Pages }}
{{ if .IsHome }}{{ $pages = where site.RegularPages "Section" "posts" }}{{ end }}
<ul class="articles">
{{ range (.Paginate $pages).Pages }}<li>{{ if not .Date.IsZero }}<span class="date">{{ .Date.Format "2006-01-02 15:04" }}</span> {{ end }}<a href="{{ .RelPermalink }}">{{ .Title }}</a></li>
{{ end }}
</ul>
{{ template "_internal/pagination.html" . }}
{{ end }}
{{ end }}
)";

const char* const kBoard = R"({{ define "main" }}
<h1>{{ .Title }}</h1>
<p>{{ len .Params.messages }} 条留言</p>
{{ range .Params.messages }}<div class="message"><p class="by">{{ .serial }}　{{ .author }}{{ with .date }}　{{ . }}{{ end }}</p>
<p class="text">{{ .text }}</p></div>
{{ end }}
{{ end }}
)";

const char* const kSongs = R"({{ define "main" }}
<h1>{{ .Title }}</h1>
<ol class="songs">
{{ range .Params.songs }}<li><span>{{ with .title }}{{ . }}{{ else }}{{ .file }}{{ end }}</span>
<audio controls preload="none" src="{{ .file }}"></audio>
{{ with .address }}<a href="{{ . }}">{{ . }}</a>{{ end }}</li>
{{ end }}
</ol>
{{ end }}
)";

const char* const kComments = R"({{ define "main" }}
<h1>{{ .Title }}</h1>
{{ range .Params.comments }}<div class="comment"><p class="by">{{ .article }}：{{ .by }}{{ with .date }}　{{ . }}{{ end }}</p>
<p class="text">{{ .text }}</p></div>
{{ end }}
{{ end }}
)";

const char* const kStyle = R"(body { max-width: 60em; margin: 0 auto; padding: 1em; }
nav.site a, nav.turn a { margin-right: 1em; }
.comment, .message { border-top: 1px solid #ccc; }
.by { color: #666; }
.text { white-space: pre-line; }
#blog_text img { max-width: 100%; height: auto; }
)";

}  // namespace

std::vector<std::pair<QString, QString>> HugoLayoutFiles() {
    return {{QStringLiteral("layouts/_default/baseof.html"), QString::fromUtf8(kBase)},
            {QStringLiteral("layouts/_default/single.html"), QString::fromUtf8(kSingle)},
            {QStringLiteral("layouts/_default/list.html"), QString::fromUtf8(kList)},
            {QStringLiteral("layouts/_default/board.html"), QString::fromUtf8(kBoard)},
            {QStringLiteral("layouts/_default/songs.html"), QString::fromUtf8(kSongs)},
            {QStringLiteral("layouts/_default/comments.html"), QString::fromUtf8(kComments)},
            {QStringLiteral("static/pagewren.css"), QString::fromUtf8(kStyle)}};
}
