#pragma once

#include <QString>
#include <QStringList>

// What a syllable that a Hangul input method is still composing can become
// as more keys of the 2-set keyboard are typed, so that a search treats it
// as all of them: a lone ㅅ as every syllable that begins with ㅅ, 사 as
// 사 and 삭, 산, 삼 ..., 오 as 오, 와, 왜, 외 and their finals, 삼 as 삼, and
// as 사 followed by any syllable that begins with ㅁ (the final moves on to
// the next syllable when a vowel follows). Anything else, a vowel alone
// included, becomes only itself.
QStringList ComposingCompletions(const QString& composing);
