#include "core/articlesource.h"

void noteArticleOpened(const QList<ArticleSource*>& sources, const ArticleRecord& article) {
    for (ArticleSource* source : sources) {
        source->articleOpened(article);
    }
}

void noteArticleShown(const QList<ArticleSource*>& sources, const ArticleRecord& article) {
    for (ArticleSource* source : sources) {
        source->articleShown(article);
    }
}
