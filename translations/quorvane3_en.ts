<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>About</name>
    <message>
        <source>Quorvane3は、RSS 0.9x/1.0/2.0、Atom 1.0、JSON Feed 1.0/1.1に対応した汎用のティッカー型RSSリーダです。登録したサイトを定期的に巡回し、新しい記事の見出しをティッカーに表示します。個人・法人を問わず無償で利用できます。改変しない限り、無償での再配布も自由です。本ソフトウェアの利用によって生じた損害について、作者は責任を負いません。ご意見・不具合のご報告は %1 までお寄せください。</source>
        <translation>Quorvane3 is a general-purpose news-ticker RSS reader for RSS 0.9x/1.0/2.0, Atom 1.0 and JSON Feed 1.0/1.1. It checks the sites you add at regular intervals and shows the headlines of new articles in the ticker. It is free of charge for personal and business use, and you may redistribute it freely and free of charge as long as you do not modify it. The author accepts no liability for any damage arising from the use of this software. Please send comments and bug reports to %1.</translation>
    </message>
</context>
<context>
    <name>AccountCheck</name>
    <message>
        <source>URL を入力してください</source>
        <translation>Enter the URL</translation>
    </message>
    <message>
        <source>URL は http:// か https:// で始まるサーバーのアドレスにしてください</source>
        <translation>The URL must be a server address starting with http:// or https://</translation>
    </message>
    <message>
        <source>ユーザー名とパスワードは URL ではなくそれぞれの欄に入力してください</source>
        <translation>Enter the user name and password in their own boxes, not in the URL</translation>
    </message>
    <message>
        <source>接続できました。API レベル %1、フィード %2 件</source>
        <translation>Connected. API level %1, %2 feeds</translation>
    </message>
    <message>
        <source>接続できません: %1</source>
        <translation>Cannot connect: %1</translation>
    </message>
</context>
<context>
    <name>AccountSubscription</name>
    <message>
        <source>購読しました</source>
        <translation>Subscribed</translation>
    </message>
    <message>
        <source>すでに購読しています</source>
        <translation>Already subscribed</translation>
    </message>
    <message>
        <source>URL が正しくありません</source>
        <translation>The URL is not valid</translation>
    </message>
    <message>
        <source>その URL にフィードが見つかりません</source>
        <translation>No feed was found at that URL</translation>
    </message>
    <message>
        <source>その URL には複数のフィードがあります: %1</source>
        <translation>That URL offers several feeds: %1</translation>
    </message>
    <message>
        <source>サーバーがフィードを取得できませんでした: %1</source>
        <translation>The server could not download the feed: %1</translation>
    </message>
</context>
<context>
    <name>AccountTreeFile</name>
    <message>
        <source>項目が多すぎます</source>
        <translation>Too many entries</translation>
    </message>
    <message>
        <source>フォルダ %1 を作れません</source>
        <translation>Cannot create the folder %1</translation>
    </message>
    <message>
        <source>%1 を読めません: %2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます</source>
        <translation>The file is too large</translation>
    </message>
</context>
<context>
    <name>AccountTrees</name>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>AccountsRuntime</name>
    <message>
        <source>%1: パスワードが保存されていません</source>
        <translation>%1: no password is stored</translation>
    </message>
    <message>
        <source>%1: パスワードを読めません: %2</source>
        <translation>%1: cannot read the password: %2</translation>
    </message>
    <message>
        <source>%1: この種類のアカウントは使えません: %2</source>
        <translation>%1: accounts of this type are not supported: %2</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1: 既読の記録を保存できません: %2</source>
        <translation>%1: cannot save the read marks: %2</translation>
    </message>
    <message>
        <source>%1: この記事のフィードの記事を一覧できません</source>
        <translation>%1: cannot list the articles of this article&apos;s feed</translation>
    </message>
</context>
<context>
    <name>AccountsDialog</name>
    <message>
        <source>アカウント</source>
        <translation>Accounts</translation>
    </message>
    <message>
        <source>アカウントの一覧</source>
        <translation>List of accounts</translation>
    </message>
    <message>
        <source>追加(&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>アカウントの設定</source>
        <translation>Account settings</translation>
    </message>
    <message>
        <source>デスクトップのキーリング(&amp;K)</source>
        <translation>The desktop&apos;s &amp;keyring</translation>
    </message>
    <message>
        <source>ファイル secrets.ini (暗号化されません)(&amp;F)</source>
        <translation>The &amp;file secrets.ini (not encrypted)</translation>
    </message>
    <message>
        <source>ティッカーに表示したら既読にする(&amp;R)</source>
        <translation>Mark as &amp;read once the ticker has shown it</translation>
    </message>
    <message>
        <source>種類(&amp;T):</source>
        <translation>&amp;Type:</translation>
    </message>
    <message>
        <source>URL(&amp;U):</source>
        <translation>&amp;URL:</translation>
    </message>
    <message>
        <source>ユーザー名(&amp;M):</source>
        <translation>User na&amp;me:</translation>
    </message>
    <message>
        <source>パスワード(&amp;P):</source>
        <translation>&amp;Password:</translation>
    </message>
    <message>
        <source>パスワードの保存先:</source>
        <translation>Keep the password in:</translation>
    </message>
    <message>
        <source>接続を確認(&amp;C)</source>
        <translation>&amp;Check connection</translation>
    </message>
    <message>
        <source>保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>accounts.ini の次の部分は使えないため、保存すると消えます: %1</source>
        <translation>These parts of accounts.ini cannot be used and will be dropped on saving: %1</translation>
    </message>
    <message>
        <source>%1
パスワードをファイル secrets.ini に保存することもできます。ファイルは暗号化されず、このユーザーだけが読めます。</source>
        <translation>%1
The password can be kept in the file secrets.ini instead. The file is not encrypted; only this user can read it.</translation>
    </message>
    <message>
        <source>保存したパスワードを読めません: %1</source>
        <translation>Cannot read the stored password: %1</translation>
    </message>
    <message>
        <source>ユーザー名を入力してください</source>
        <translation>Enter the user name</translation>
    </message>
    <message>
        <source>ユーザー名に使えない文字があります</source>
        <translation>The user name holds a character that cannot be used</translation>
    </message>
    <message>
        <source>%1 には暗号化されない http で接続します。パスワードがそのままネットワークを流れ、途中で読まれるおそれがあります。続けますか?</source>
        <translation>%1 is reached over unencrypted http. The password crosses the network as it is and may be read on the way. Continue?</translation>
    </message>
    <message>
        <source>確認しています...</source>
        <translation>Checking...</translation>
    </message>
    <message>
        <source>この種類のアカウントには対応していません</source>
        <translation>This type of account is not supported</translation>
    </message>
    <message>
        <source>パスワードを入力してください</source>
        <translation>Enter the password</translation>
    </message>
    <message>
        <source>保存しています...</source>
        <translation>Saving...</translation>
    </message>
    <message>
        <source>パスワードを保存できません: %1</source>
        <translation>Cannot store the password: %1</translation>
    </message>
    <message>
        <source>保存しました</source>
        <translation>Saved</translation>
    </message>
    <message>
        <source>accounts.ini に書き込めません: %1</source>
        <translation>Cannot write accounts.ini: %1</translation>
    </message>
    <message>
        <source>アカウント「%1」を削除しますか?
パスワードと、このアカウントのフィードの一覧、サーバーにまだ送っていない既読の記録も削除されます。</source>
        <translation>Delete the account &quot;%1&quot;?
Its password, its list of feeds and the read marks not yet sent to the server are deleted too.</translation>
    </message>
    <message>
        <source>削除しました</source>
        <translation>Deleted</translation>
    </message>
    <message>
        <source>削除しましたが、パスワードを消せませんでした: %1</source>
        <translation>Deleted, but the password could not be removed: %1</translation>
    </message>
    <message>
        <source>キーリングの状態</source>
        <translation>Keyring status</translation>
    </message>
    <message>
        <source>接続の確認の結果</source>
        <translation>Result of the connection check</translation>
    </message>
    <message>
        <source>状態</source>
        <translation>Status</translation>
    </message>
</context>
<context>
    <name>DisplayRules</name>
    <message>
        <source>表示ルール %1 行目: UTF-8 で書かれていません</source>
        <translation>Display rules, line %1: not written in UTF-8</translation>
    </message>
    <message>
        <source>表示ルール %1 行目: 「%2」は mute、hold、highlight のどれでもありません</source>
        <translation>Display rules, line %1: “%2” is none of mute, hold or highlight</translation>
    </message>
    <message>
        <source>表示ルール %1 行目: パターンが空です</source>
        <translation>Display rules, line %1: the pattern is empty</translation>
    </message>
    <message>
        <source>表示ルール %1 行目: 正規表現の誤りです (%2)</source>
        <translation>Display rules, line %1: invalid regular expression (%2)</translation>
    </message>
    <message>
        <source>表示ルール %1 行目: 色「%2」は #RRGGBB の形ではありません</source>
        <translation>Display rules, line %1: the colour “%2” is not in the form #RRGGBB</translation>
    </message>
    <message>
        <source>表示ルール %1 行目: 項目が多すぎます</source>
        <translation>Display rules, line %1: too many fields</translation>
    </message>
    <message>
        <source>表示ルール %1 行目: タブや改行は使えません</source>
        <translation>Display rules, line %1: tabs and line breaks are not allowed</translation>
    </message>
    <message>
        <source>表示ルールを保存できませんでした。ファイルは元のままです。<byte value="xd"/>
%1</source>
        <translation>The display rules could not be saved. The file has not been changed.<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>表示ルール (%1) を読めませんでした: %2</source>
        <translation>The display rules (%1) could not be read: %2</translation>
    </message>
    <message>
        <source>表示ルール %1 行目: 正規表現 %2 は照合に時間がかかりすぎるため、一部の見出しには使われません</source>
        <translation>Display rules, line %1: the regular expression %2 takes too long to match and is skipped for some headlines</translation>
    </message>
    <message>
        <source>ほかに %1 行あります</source>
        <translation>and %1 more line(s)</translation>
    </message>
    <message>
        <source>表示ルールに使えない行が %1 行あります（設定 → 表示ルール）</source>
        <translation>%1 display rule line(s) cannot be used (Settings → Display Rules)</translation>
    </message>
    <message>
        <source>表示ルールの正規表現 %1 個が照合の上限に達しました（設定 → 表示ルール）</source>
        <translation>%1 display rule expression(s) took too long to match (Settings → Display Rules)</translation>
    </message>
    <message>
        <source>表示ルールのファイルが %1 KiB を超えるため、この変更はできません。ファイルは元のままです。</source>
        <translation>This change would make the display rules file larger than %1 KiB, so it was not made. The file is unchanged.</translation>
    </message>
    <message>
        <source>表示ルールのファイルがほかで変更されたので、読み直しました。もう一度操作してください。</source>
        <translation>The display rules file was changed elsewhere and has been reloaded. Please try again.</translation>
    </message>
</context>
<context>
    <name>FeedService</name>
    <message>
        <source>フィードが見つかりませんでした</source>
        <translation>No feed was found</translation>
    </message>
</context>
<context>
    <name>MarqueeBand</name>
    <message>
        <source>記事の見出し</source>
        <translation>Headline of the article</translation>
    </message>
</context>
<context>
    <name>FileSecretStore</name>
    <message>
        <source>%1 を読めません: %2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>%1 に書き込めません: %2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>ファイルはキーリングではありません</source>
        <translation>A file is not a keyring</translation>
    </message>
    <message>
        <source>ほかのプログラムが使用中です</source>
        <translation>another program is using it</translation>
    </message>
</context>
<context>
    <name>Keychain</name>
    <message>
        <source>このプログラムはキーリングを使う機能なしで作られています。</source>
        <translation>This program was built without keyring support.</translation>
    </message>
</context>
<context>
    <name>KeychainSecretStore</name>
    <message>
        <source>キーリングの利用が許可されませんでした: %1</source>
        <translation>Use of the keyring was not allowed: %1</translation>
    </message>
    <message>
        <source>デスクトップのキーリング (Secret Service) が応答しません: %1</source>
        <translation>The desktop&apos;s keyring (Secret Service) does not answer: %1</translation>
    </message>
</context>
<context>
    <name>NewsDate</name>
    <message>
        <source>YY/MM/DD</source>
        <comment>How article dates are shown in this language: YY/MM/DD, or YYYY-MM-DD (ISO 8601) where a two-digit year first reads as another date. Nothing else is understood.</comment>
        <translation>YYYY-MM-DD</translation>
    </message>
</context>
<context>
    <name>OpmlLoadError</name>
    <message>
        <source>%1行目 %2桁目</source>
        <translation>line %1, column %2</translation>
    </message>
    <message>
        <source>ファイルが見つかりません。</source>
        <translation>The file was not found.</translation>
    </message>
    <message>
        <source>ファイルを開けません。</source>
        <translation>The file cannot be opened.</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます。</source>
        <translation>The file is too large.</translation>
    </message>
    <message>
        <source>XMLの誤り（%1）: %2</source>
        <translation>XML error (%1): %2</translation>
    </message>
    <message>
        <source>フォルダの入れ子が深すぎます（%1）。</source>
        <translation>Folders are nested too deeply (%1).</translation>
    </message>
    <message>
        <source>実体参照の展開が大きすぎます（%1）。</source>
        <translation>Entity references expand to too much text (%1).</translation>
    </message>
    <message>
        <source>body要素がありません。</source>
        <translation>There is no body element.</translation>
    </message>
    <message>
        <source>outline要素の間に文字があります（%1）。</source>
        <translation>There is text between outline elements (%1).</translation>
    </message>
    <message>
        <source>項目が多すぎます。読み込めるのは %1 件までです（%2）。</source>
        <translation>Too many entries. At most %1 can be loaded (%2).</translation>
    </message>
</context>
<context>
    <name>PropertiesPanel</name>
    <message>
        <source>情報を取得しています...</source>
        <translation>Fetching information...</translation>
    </message>
    <message>
        <source>外すと、このサイトの記事をティッカーに表示しません（表示ルールに書かれます）。</source>
        <translation>Clear this to keep this site’s articles out of the ticker (saved in the display rules).</translation>
    </message>
    <message>
        <source>外すと、このフィードの記事をティッカーに表示しません（このパソコンだけの設定で、サーバーは変わりません）。</source>
        <translation>Clear this to keep this feed’s articles out of the ticker (a setting of this computer only; the server is not changed).</translation>
    </message>
    <message>
        <source>ティッカーに表示するかどうかを保存できません: %1</source>
        <translation>Cannot save whether the feed is shown in the ticker: %1</translation>
    </message>
    <message>
        <source>タイトル</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>ホームページ</source>
        <translation>Homepage</translation>
    </message>
    <message>
        <source>RSSファイルパス</source>
        <translation>Feed URL</translation>
    </message>
    <message>
        <source>適用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>ティッカーに表示する</source>
        <translation>Show in ticker</translation>
    </message>
    <message>
        <source>情報の取得に失敗しました</source>
        <translation>Could not fetch the information</translation>
    </message>
    <message>
        <source>【%1】<byte value="xd"/>
%2<byte value="xd"/>
%3</source>
        <translation>[%1]<byte value="xd"/>
%2<byte value="xd"/>
%3</translation>
    </message>
    <message>
        <source>タイトルが空なので、元のタイトルのままにしました。</source>
        <translation>The title was empty, so the previous title was kept.</translation>
    </message>
    <message>
        <source>サイトの情報</source>
        <translation>Site information</translation>
    </message>
    <message>
        <source>サーバーのアカウントです。フォルダとフィードはサーバーが管理しています。</source>
        <translation>An account on a server. The server keeps its folders and feeds.</translation>
    </message>
    <message>
        <source>サーバーが管理している項目です。変更はサーバーで行ってください。</source>
        <translation>The server keeps this entry. Change it on the server.</translation>
    </message>
    <message>
        <source>未読 %1 件</source>
        <translation>%1 unread</translation>
    </message>
</context>
<context>
    <name>RulesDialog</name>
    <message>
        <source>表示しない</source>
        <translation>Hide</translation>
    </message>
    <message>
        <source>読むまで止める</source>
        <translation>Hold until read</translation>
    </message>
    <message>
        <source>色を付ける</source>
        <translation>Highlight</translation>
    </message>
    <message>
        <source>表示する</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>すべてのサイト</source>
        <translation>All sites</translation>
    </message>
    <message>
        <source>パターンを入力してください。</source>
        <translation>Please enter a pattern.</translation>
    </message>
    <message>
        <source>正規表現の誤りです (%1)。</source>
        <translation>Invalid regular expression (%1).</translation>
    </message>
    <message>
        <source>色は #RRGGBB の形で入力してください。</source>
        <translation>Please enter the colour in the form #RRGGBB.</translation>
    </message>
    <message>
        <source>タブや改行は使えません。</source>
        <translation>Tabs and line breaks are not allowed.</translation>
    </message>
    <message>
        <source>%1 表示ルール</source>
        <translation>%1 Display Rules</translation>
    </message>
    <message>
        <source>動作</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>パターン</source>
        <translation>Pattern</translation>
    </message>
    <message>
        <source>サイト</source>
        <translation>Site</translation>
    </message>
    <message>
        <source>色</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>上へ(&amp;U)</source>
        <translation>&amp;Up</translation>
    </message>
    <message>
        <source>下へ(&amp;N)</source>
        <translation>Dow&amp;n</translation>
    </message>
    <message>
        <source>ルール</source>
        <translation>Rule</translation>
    </message>
    <message>
        <source>動作(&amp;K)</source>
        <translation>Ac&amp;tion</translation>
    </message>
    <message>
        <source>パターン(&amp;P)</source>
        <translation>&amp;Pattern</translation>
    </message>
    <message>
        <source>見出しに含まれる文字（大文字と小文字、全角と半角は区別しません）。* はすべての見出し、/…/ は正規表現です。</source>
        <translation>Text contained in the headline (ignoring upper and lower case, and full-width and half-width forms). * matches every headline; /…/ is a regular expression.</translation>
    </message>
    <message>
        <source>サイト(&amp;S)</source>
        <translation>&amp;Site</translation>
    </message>
    <message>
        <source>サイトを選ぶか、RSSファイルのURLを入力します。</source>
        <translation>Choose a site, or enter the URL of a feed.</translation>
    </message>
    <message>
        <source>色(&amp;L)</source>
        <translation>Co&amp;lour</translation>
    </message>
    <message>
        <source>#RRGGBB の形で入力します。空のときは #FFD700 です。</source>
        <translation>Enter a colour in the form #RRGGBB. When empty, #FFD700 is used.</translation>
    </message>
    <message>
        <source>色の選択(&amp;C)...</source>
        <translation>&amp;Choose...</translation>
    </message>
    <message>
        <source>追加(&amp;A)</source>
        <translation>&amp;Add</translation>
    </message>
    <message>
        <source>変更(&amp;E)</source>
        <translation>Chang&amp;e</translation>
    </message>
    <message>
        <source>見出しで試す</source>
        <translation>Try a Headline</translation>
    </message>
    <message>
        <source>見出しを入力してください</source>
        <translation>Type a headline</translation>
    </message>
    <message>
        <source>試すサイト</source>
        <translation>Site to try</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>どのルールにも当てはまりません。そのまま表示されます。</source>
        <translation>No rule matches. The headline is shown as it is.</translation>
    </message>
    <message>
        <source>%1番目のルール「%2」に当てはまります: %3</source>
        <translation>Matches rule %1, “%2”: %3</translation>
    </message>
    <message>
        <source>使えない行が %1 行あります。ファイルにはそのまま残ります。</source>
        <translation>%1 line(s) cannot be used. They are kept in the file as they are.</translation>
    </message>
    <message>
        <source>表示ルールの一覧</source>
        <translation>Display rules</translation>
    </message>
    <message>
        <source>表示ルールの状況</source>
        <translation>Display rules status</translation>
    </message>
    <message>
        <source>どのルールにも当てはまりません。照合に時間がかかりすぎる正規表現は飛ばしました。</source>
        <translation>No rule applies. Regular expressions that took too long to match were skipped.</translation>
    </message>
</context>
<context>
    <name>SiteList</name>
    <message>
        <source>OPMLファイルの読み込みに失敗しました</source>
        <translation>Could not load the OPML file</translation>
    </message>
    <message>
        <source>元のファイル「%1」の写しを残せませんでした。</source>
        <translation>No copy of the original file “%1” could be kept.</translation>
    </message>
    <message>
        <source>元のファイルは「%1」として残してあります。</source>
        <translation>The original file has been kept as “%1”.</translation>
    </message>
    <message>
        <source>「%1」を読み込めませんでした。</source>
        <translation>“%1” could not be read.</translation>
    </message>
    <message>
        <source>OPMLファイルが見つかりません</source>
        <translation>The OPML file was not found</translation>
    </message>
</context>
<context>
    <name>SiteTreeEditor</name>
    <message>
        <source>新しいフォルダ</source>
        <translation>New Folder</translation>
    </message>
    <message>
        <source>サイト一覧がいっぱいです</source>
        <translation>The site list is full</translation>
    </message>
    <message>
        <source>「%1」を削除します。<byte value="xd"/>
よろしいですか。</source>
        <translation>“%1” will be deleted.<byte value="xd"/>
Are you sure?</translation>
    </message>
    <message>
        <source>この項目はサーバーが管理しています。サーバーで変更してください。</source>
        <translation>The server keeps this entry. Change it on the server.</translation>
    </message>
    <message>
        <source>このアカウントにはまだ接続していないので、購読できません。</source>
        <translation>This account is not connected yet, so nothing can be subscribed to.</translation>
    </message>
    <message>
        <source>サーバーに購読を頼んでいます: %1</source>
        <translation>Asking the server to subscribe: %1</translation>
    </message>
    <message>
        <source>%1 を購読できませんでした。<byte value="xd"/>
%2</source>
        <translation>Could not subscribe to %1.<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>「%1」の購読をサーバーで解除します。<byte value="xd"/>
よろしいですか。</source>
        <translation>The server will stop following “%1”.<byte value="xd"/>
Are you sure?</translation>
    </message>
    <message>
        <source>「%1」の購読を解除できませんでした。<byte value="xd"/>
%2</source>
        <translation>Could not unsubscribe from “%1”.<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>「%1」の購読を解除しました</source>
        <translation>Unsubscribed from “%1”</translation>
    </message>
</context>
<context>
    <name>SiteTreeView</name>
    <message>
        <source>編集する項目を選択してください</source>
        <translation>Select an item to edit</translation>
    </message>
    <message>
        <source>サイト一覧</source>
        <translation>Site list</translation>
    </message>
</context>
<context>
    <name>SpeechEngine</name>
    <message>
        <source>読み上げエンジンがありません。</source>
        <translation>There is no speech engine.</translation>
    </message>
    <message>
        <source>このプログラムは読み上げの機能なしで作られています。</source>
        <translation>This program was built without reading aloud.</translation>
    </message>
    <message>
        <source>読み上げエンジンが見つかりません。speech-dispatcher と qt6-speech-speechd-plugin をインストールしてください。</source>
        <translation>No speech engine was found. Install speech-dispatcher and qt6-speech-speechd-plugin.</translation>
    </message>
    <message>
        <source>speech-dispatcher に接続できないため、読み上げても何も聞こえません（%1）。音声の出力先がないと speech-dispatcher は起動しません。</source>
        <translation>Nothing would be heard: speech-dispatcher cannot be reached (%1). Without a sound output, speech-dispatcher does not start.</translation>
    </message>
    <message>
        <source>speech-dispatcher に声を出せる出力モジュールがないため、読み上げても何も聞こえません。espeak-ng などの音声合成をインストールしてください。</source>
        <translation>Nothing would be heard: speech-dispatcher has no output module with a voice. Install a speech synthesizer such as espeak-ng.</translation>
    </message>
    <message>
        <source>読み上げが途切れました（%1）。</source>
        <translation>Reading aloud broke off (%1).</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>データを保存するフォルダ「%1」は、ほかのユーザーのものです。そのフォルダにある設定やサイト一覧は使わずに終了します。フォルダを確かめてから起動し直してください。</source>
        <translation>The folder that holds the program’s data, “%1”, belongs to another user. Quorvane3 ends without using the settings or the site list in it. Check the folder, then start again.</translation>
    </message>
    <message>
        <source>データを保存するフォルダ「%1」には、ほかのユーザーも書き込めます。そのフォルダにある設定やサイト一覧は使わずに終了します。中身を確かめ、自分だけが使えるようにしてから（chmod 700）起動し直してください。</source>
        <translation>Other users can write in the folder that holds the program’s data, “%1”. Quorvane3 ends without using the settings or the site list in it. Check what it holds and make it yours alone (chmod 700), then start again.</translation>
    </message>
</context>
<context>
    <name>TickerChoices</name>
    <message>
        <source>%1 を読めません: %2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます</source>
        <translation>The file is too large</translation>
    </message>
    <message>
        <source>%1 を削除できません</source>
        <translation>Cannot remove %1</translation>
    </message>
    <message>
        <source>フォルダ %1 を作れません</source>
        <translation>Cannot create the folder %1</translation>
    </message>
</context>
<context>
    <name>TickerControls</name>
    <message>
        <source>停</source>
        <translation>||</translation>
    </message>
    <message>
        <source>再</source>
        <translation>▶</translation>
    </message>
    <message>
        <source>覧</source>
        <translation>≡</translation>
    </message>
    <message>
        <source>設</source>
        <translation>⚙</translation>
    </message>
    <message>
        <source>閉</source>
        <translation>×</translation>
    </message>
    <message>
        <source>記事表示の更新を一時停止/再開します</source>
        <translation>Pauses or resumes the headlines</translation>
    </message>
    <message>
        <source>前の記事に戻ります</source>
        <translation>Goes back to the previous article</translation>
    </message>
    <message>
        <source>次の記事に進めます</source>
        <translation>Goes on to the next article</translation>
    </message>
    <message>
        <source>このサイトの記事一覧を表示します</source>
        <translation>Lists the articles of this site</translation>
    </message>
    <message>
        <source>ティッカー設定画面を開きます</source>
        <translation>Opens the ticker settings</translation>
    </message>
    <message>
        <source>ティッカーを閉じます</source>
        <translation>Closes the ticker</translation>
    </message>
    <message>
        <source>この記事のサイトを開きます</source>
        <translation>Opens this article in the browser</translation>
    </message>
    <message>
        <source>一時停止</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>前の記事</source>
        <translation>Previous article</translation>
    </message>
    <message>
        <source>次の記事</source>
        <translation>Next article</translation>
    </message>
    <message>
        <source>記事一覧</source>
        <translation>Article list</translation>
    </message>
    <message>
        <source>ティッカーの設定</source>
        <translation>Ticker settings</translation>
    </message>
    <message>
        <source>ティッカーを閉じる</source>
        <translation>Close the ticker</translation>
    </message>
    <message>
        <source>記事をブラウザで開く</source>
        <translation>Open the article in the browser</translation>
    </message>
    <message>
        <source>再開</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>表示ルールがこの見出しで止めています。押すと先へ進みます</source>
        <translation>A display rule holds this headline. Press to go on</translation>
    </message>
    <message>
        <source>表示ルールで止まっています</source>
        <translation>Held by a display rule</translation>
    </message>
</context>
<context>
    <name>TickerIcon</name>
    <message>
        <source>常に表示するモードのとき、ここをドラッグすると移動できます。</source>
        <translation>When the ticker is always shown, drag here to move it.</translation>
    </message>
    <message>
        <source>ティッカーの移動用アイコン</source>
        <translation>Handle to move the ticker</translation>
    </message>
</context>
<context>
    <name>TickerShowing</name>
    <message>
        <source>再巡回中です // しばらくお待ちください</source>
        <translation>Checking the sites again // Please wait</translation>
    </message>
    <message>
        <source>読み込み中です...</source>
        <translation>Loading...</translation>
    </message>
</context>
<context>
    <name>TickerSpeech</name>
    <message>
        <source>%1。%2</source>
        <translation>%1. %2</translation>
    </message>
</context>
<context>
    <name>TtrssText</name>
    <message>
        <source>理由は不明です</source>
        <translation>reason unknown</translation>
    </message>
    <message>
        <source>サーバーがエラーを返しました (HTTP %1)</source>
        <translation>The server answered with an error (HTTP %1)</translation>
    </message>
    <message>
        <source>そこに Tiny Tiny RSS の API はありません (HTTP %1)</source>
        <translation>There is no Tiny Tiny RSS API there (HTTP %1)</translation>
    </message>
    <message>
        <source>サーバーの証明書を確かめられません: %1</source>
        <translation>The server&apos;s certificate cannot be verified: %1</translation>
    </message>
    <message>
        <source>サーバーにつながりません: %1</source>
        <translation>Cannot reach the server: %1</translation>
    </message>
    <message>
        <source>Tiny Tiny RSS のサーバーではありません (答えが JSON ではありません)</source>
        <translation>Not a Tiny Tiny RSS server (its answer is not JSON)</translation>
    </message>
    <message>
        <source>サーバーの答えが途中で切れています</source>
        <translation>The server&apos;s answer was cut short</translation>
    </message>
    <message>
        <source>サーバーの答えを読めません: %1</source>
        <translation>The server&apos;s answer cannot be read: %1</translation>
    </message>
    <message>
        <source>Tiny Tiny RSS のサーバーではありません (答えの形が違います)</source>
        <translation>Not a Tiny Tiny RSS server (its answer has another shape)</translation>
    </message>
    <message>
        <source>ユーザー名かパスワードが違います</source>
        <translation>Wrong user name or password</translation>
    </message>
    <message>
        <source>このアカウントでは API が使えません。Tiny Tiny RSS の 設定 → API を有効にする (Preferences → Enable API) をオンにしてください</source>
        <translation>API access is switched off for this account: switch it on in Tiny Tiny RSS under Preferences → Enable API</translation>
    </message>
    <message>
        <source>サーバーにそのフィードはありません</source>
        <translation>The server has no such feed</translation>
    </message>
    <message>
        <source>サーバーが要求を断りました: %1</source>
        <translation>The server refused the request: %1</translation>
    </message>
    <message>
        <source>サーバーがログインを受け付けたのにセッションを認めません</source>
        <translation>The server accepted the log-in but not its session</translation>
    </message>
    <message>
        <source>サーバーの答えが途中で切れています: %1</source>
        <translation>The server&apos;s answer was cut short: %1</translation>
    </message>
</context>
<context>
    <name>UpDown</name>
    <message>
        <source>値を増やす</source>
        <translation>Increase</translation>
    </message>
    <message>
        <source>値を減らす</source>
        <translation>Decrease</translation>
    </message>
</context>
<context>
    <name>WipeSurface</name>
    <message>
        <source>記事の日時</source>
        <translation>Date of the article</translation>
    </message>
    <message>
        <source>記事のサイト名</source>
        <translation>Site of the article</translation>
    </message>
    <message>
        <source>記事の見出し</source>
        <translation>Headline of the article</translation>
    </message>
    <message>
        <source>サイト名なし</source>
        <translation>No site name</translation>
    </message>
</context>
<context>
    <name>clsTransparency</name>
    <message>
        <source>透明度は、10％～100％の間で指定してください。</source>
        <translation>Please set the opacity between 10% and 100%.</translation>
    </message>
</context>
<context>
    <name>frmAbout</name>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>%1のバージョン情報</source>
        <translation>About %1</translation>
    </message>
    <message>
        <source>バージョン %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>説明</source>
        <translation>Description</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>次のファイルを保存できませんでした。最後に保存できた後の変更は失われます。<byte value="xd"/>
%1</source>
        <translation>The following files could not be saved. Changes made since they were last saved are lost.<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>%1 を保存できませんでした（%2）</source>
        <translation>Could not save %1 (%2)</translation>
    </message>
    <message>
        <source>【%1】<byte value="xd"/>
  ティッカー型RSSリーダ &gt;&gt; シンプルをモットーに開発を続けております。バグ・要望などありましたらご連絡ください（%2）<byte value="xd"/>
  </source>
        <translation>[%1]<byte value="xd"/>
  A news-ticker RSS reader &gt;&gt; developed with simplicity as its motto. Please let us know about bugs and requests (%2)<byte value="xd"/>
  </translation>
    </message>
    <message>
        <source>デフォルトのOPMLファイルを読み込みます。<byte value="xd"/>
よろしいですか。</source>
        <translation>The default OPML file will be loaded.<byte value="xd"/>
Do you want to continue?</translation>
    </message>
    <message>
        <source>OPMLファイル(*.opml, *.xml) (*.opml *.xml);;すべてのファイル(*.*) (*)</source>
        <translation>OPML files (*.opml, *.xml) (*.opml *.xml);;All files (*.*) (*)</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>ニュースティッカーを開く(&amp;N)</source>
        <translation>Open &amp;News Ticker</translation>
    </message>
    <message>
        <source>サイト一覧(OPMLファイル)を読み込む(&amp;L)</source>
        <translation>&amp;Load Site List (OPML File)</translation>
    </message>
    <message>
        <source>サイト一覧(OPMLファイル)を保存(&amp;S)</source>
        <translation>&amp;Save Site List (OPML File)</translation>
    </message>
    <message>
        <source>最新の情報を取得(&amp;R)</source>
        <translation>&amp;Refresh Now</translation>
    </message>
    <message>
        <source>この画面を閉じる(&amp;C)</source>
        <translation>&amp;Close This Window</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>新規作成(&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>フォルダ(&amp;F)</source>
        <translation>&amp;Folder</translation>
    </message>
    <message>
        <source>サイト(&amp;S)</source>
        <translation>&amp;Site</translation>
    </message>
    <message>
        <source>切り取り(&amp;T)</source>
        <translation>Cu&amp;t</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>貼り付け(&amp;P)</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>タイトルをコピー(&amp;T)</source>
        <translation>Copy T&amp;itle</translation>
    </message>
    <message>
        <source>URLをコピー(&amp;U)</source>
        <translation>Copy &amp;URL</translation>
    </message>
    <message>
        <source>URLをブラウザで開く(&amp;B)</source>
        <translation>Open URL in &amp;Browser</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>設定(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>ニュースティッカーの設定(&amp;D)</source>
        <translation>News &amp;Ticker Settings</translation>
    </message>
    <message>
        <source>オプション(&amp;O)</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>表示ルール(&amp;R)...</source>
        <translation>Display &amp;Rules...</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>オンラインヘルプ(&amp;C)</source>
        <translation>&amp;Contents</translation>
    </message>
    <message>
        <source>更新確認(&amp;U)</source>
        <translation>Check for &amp;Updates</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;A)</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>ホームページを開く(&amp;H)</source>
        <translation>Visit &amp;Homepage</translation>
    </message>
    <message>
        <source>メインウィンドウを開く(&amp;M)</source>
        <translation>Open &amp;Main Window</translation>
    </message>
    <message>
        <source>サイト一覧(OPMLファイル)を読み込みます。<byte value="xd"/>
「%1」<byte value="xd"/>
現在のサイト一覧は置き換えられます。よろしいですか。</source>
        <translation>The site list (OPML file) will be loaded.<byte value="xd"/>
“%1”<byte value="xd"/>
The current site list will be replaced. Do you want to continue?</translation>
    </message>
    <message>
        <source>OPMLファイルの保存に失敗しました</source>
        <translation>Could not save the OPML file</translation>
    </message>
    <message>
        <source>help.html</source>
        <extracomment>The file name of the help page in this language, among the pages in qvr3/.</extracomment>
        <translation>help-en.html</translation>
    </message>
    <message>
        <source>ステータスバー</source>
        <translation>Status bar</translation>
    </message>
    <message>
        <source>ティッカーを操作(&amp;K)</source>
        <translation>Control the Tic&amp;ker</translation>
    </message>
    <message>
        <source>ホームページのURLがありません</source>
        <translation>There is no homepage URL</translation>
    </message>
    <message>
        <source>「%1:」で始まるURLは開きません。ブラウザで開くのは http と https のページだけです</source>
        <translation>URLs starting with “%1:” are not opened: only http and https pages are opened in the browser</translation>
    </message>
    <message>
        <source>ホームページのURLが正しくないため開きません</source>
        <translation>The homepage URL is not valid, so it is not opened</translation>
    </message>
    <message>
        <source>index.html</source>
        <extracomment>The file name of the home page in this language, among the pages in qvr3/.</extracomment>
        <translation>index-en.html</translation>
    </message>
    <message>
        <source>アカウント(&amp;A)...</source>
        <translation>&amp;Accounts...</translation>
    </message>
</context>
<context>
    <name>frmNewSiteDialog</name>
    <message>
        <source>新しいサイト</source>
        <translation>New Site</translation>
    </message>
    <message>
        <source>確認</source>
        <translation>Check</translation>
    </message>
    <message>
        <source>登録</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>確認しています...</source>
        <translation>Checking...</translation>
    </message>
    <message>
        <source>新しいサイトの追加</source>
        <translation>Add a New Site</translation>
    </message>
    <message>
        <source>サイトのURL</source>
        <translation>Site URL</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ファイルの取得に失敗しました</source>
        <translation>Could not fetch the file</translation>
    </message>
    <message>
        <source>確認の状況</source>
        <translation>Check status</translation>
    </message>
</context>
<context>
    <name>frmOption</name>
    <message>
        <source>各サイトからRDFファイルを取得する間隔です。</source>
        <translation>How often the feed of each site is fetched.</translation>
    </message>
    <message>
        <source>指定した時間より前に書かれた古い記事は表示しません。</source>
        <translation>Articles written longer ago than this are not shown.</translation>
    </message>
    <message>
        <source>%1 オプション</source>
        <translation>%1 Options</translation>
    </message>
    <message>
        <source>RDF巡回設定</source>
        <translation>Feed Checking</translation>
    </message>
    <message>
        <source>巡回間隔</source>
        <translation>Every</translation>
    </message>
    <message>
        <source>分</source>
        <translation>min</translation>
    </message>
    <message>
        <source>一サイトずつ（推奨）</source>
        <translation>One site at a time</translation>
    </message>
    <message>
        <source>指定した間隔ごとに一つずつサイトを巡回します。</source>
        <translation>Checks one site at a time at the interval set (recommended).</translation>
    </message>
    <message>
        <source>全サイトまとめて</source>
        <translation>All sites at once</translation>
    </message>
    <message>
        <source>指定した間隔ごとに全サイトを巡回します。</source>
        <translation>Checks every site at the interval set.</translation>
    </message>
    <message>
        <source>ティッカーに表示する記事</source>
        <translation>Articles in the Ticker</translation>
    </message>
    <message>
        <source>一度ティッカーに表示した記事は表示しない</source>
        <translation>Do not show articles already shown</translation>
    </message>
    <message>
        <source>ティッカーに表示したことがある記事は、次の巡回で表示しないようにします。</source>
        <translation>Articles that have been shown in the ticker are not shown again from the next check on.</translation>
    </message>
    <message>
        <source>古い記事は表示しない</source>
        <translation>Do not show old articles</translation>
    </message>
    <message>
        <source>ティッカーに表示したことが無くても、ある程度古い記事は表示しないようにすることができます。</source>
        <translation>Articles older than a set age can be kept out of the ticker, even if they have never been shown.</translation>
    </message>
    <message>
        <source>時間より前の記事は「古い」と判断する</source>
        <translation>hours old or more counts as old</translation>
    </message>
    <message>
        <source>ティッカーの表示</source>
        <translation>Ticker Display</translation>
    </message>
    <message>
        <source>常に表示</source>
        <translation>Always</translation>
    </message>
    <message>
        <source>ティッカーウィンドウを常に表示します。記事をすべて表示し終えたら先頭から再び表示します。</source>
        <translation>Keeps the ticker window on screen. After the last article it starts again from the first.</translation>
    </message>
    <message>
        <source>・・・・・・</source>
        <translation>······</translation>
    </message>
    <message>
        <source>起動と同時に表示する</source>
        <translation>Show at startup</translation>
    </message>
    <message>
        <source>アプリケーションが起動したと同時にティッカーを表示するかどうか設定します。</source>
        <translation>Whether the ticker appears as soon as the application starts.</translation>
    </message>
    <message>
        <source>ポップアップ表示</source>
        <translation>Pop-up</translation>
    </message>
    <message>
        <source>巡回によって新しい記事が見つかったとき、ポップアップのようにティッカーを一定時間だけ表示します。</source>
        <translation>When a check finds new articles, the ticker pops up for a while.</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>サイトのアイコンを表示する</source>
        <translation>Show sites&apos; icons</translation>
    </message>
    <message>
        <source>サイト一覧に各サイトのアイコンを表示します。アイコンは各サイトから取得します。</source>
        <translation>Shows each site&apos;s icon in the site list. The icons are fetched from the sites.</translation>
    </message>
</context>
<context>
    <name>frmTask</name>
    <message>
        <source>RDF読み込み開始します...</source>
        <translation>Starting to read feeds...</translation>
    </message>
    <message>
        <source>完了</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>%1を処理中...</source>
        <translation>Processing %1...</translation>
    </message>
</context>
<context>
    <name>frmTicker</name>
    <message>
        <source>ニュースティッカー</source>
        <translation>News ticker</translation>
    </message>
    <message>
        <source>（見出しなし）</source>
        <translation>(no headline)</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>frmTickerList</name>
    <message>
        <source>最新の情報を読み込んでいます</source>
        <translation>Loading the latest articles</translation>
    </message>
    <message>
        <source>選択した記事のサイトを開きます</source>
        <translation>Opens the selected article in the browser</translation>
    </message>
    <message>
        <source>このサイトの記事</source>
        <translation>Articles of this site</translation>
    </message>
    <message>
        <source>選択した記事をブラウザで開く</source>
        <translation>Open the selected article in the browser</translation>
    </message>
</context>
<context>
    <name>frmTickerOptionDialog</name>
    <message>
        <source>ティッカーウィンドウの透過率を設定します</source>
        <translation>Sets the opacity of the ticker window</translation>
    </message>
    <message>
        <source>記事の更新間隔を指定します</source>
        <translation>Sets how long each article is shown</translation>
    </message>
    <message>
        <source>ポップアップ表示のとき、ティッカーのスライドイン位置を指定します</source>
        <translation>Sets where the ticker slides in when it pops up</translation>
    </message>
    <message>
        <source>ウィンドウで表示</source>
        <translation>In a window</translation>
    </message>
    <message>
        <source>画面の上端に帯で表示</source>
        <translation>As a bar at the top of the screen</translation>
    </message>
    <message>
        <source>画面の下端に帯で表示</source>
        <translation>As a bar at the bottom of the screen</translation>
    </message>
    <message>
        <source>%1 ニュースティッカーの表示設定</source>
        <translation>%1 News Ticker Settings</translation>
    </message>
    <message>
        <source>表示設定</source>
        <translation>Appearance</translation>
    </message>
    <message>
        <source>ウィンドウを透過する</source>
        <translation>Window opacity</translation>
    </message>
    <message>
        <source>％</source>
        <translation>%</translation>
    </message>
    <message>
        <source>（100％で不透過になります）</source>
        <translation>(100% is fully opaque)</translation>
    </message>
    <message>
        <source>記事表示間隔</source>
        <translation>Show each for</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>ポップアップの表示位置</source>
        <translation>Pop-up position</translation>
    </message>
    <message>
        <source>（ポップアップモードのとき画面の上端からの距離）</source>
        <translation>(distance from the top of the screen in pop-up mode)</translation>
    </message>
    <message>
        <source>常に最前面に表示する</source>
        <translation>Always on top</translation>
    </message>
    <message>
        <source>ティッカーを常に前面に表示するときチェックします</source>
        <translation>Check to keep the ticker above other windows</translation>
    </message>
    <message>
        <source>フラットモードを有効</source>
        <translation>Flat mode</translation>
    </message>
    <message>
        <source>ウィンドウ配色</source>
        <translation>Colours</translation>
    </message>
    <message>
        <source>文字色</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>ティッカーの文字色を設定します</source>
        <translation>Sets the text colour of the ticker</translation>
    </message>
    <message>
        <source>背景色</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>ティッカーの背景色を設定します</source>
        <translation>Sets the background colour of the ticker</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>表示場所と流し方</source>
        <translation>Placement and Scrolling</translation>
    </message>
    <message>
        <source>表示位置</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>画面の端に帯で表示すると、最大化したウィンドウが帯に重なりません</source>
        <translation>A bar at the edge of the screen keeps maximised windows from covering it</translation>
    </message>
    <message>
        <source>表示する画面</source>
        <translation>Screen</translation>
    </message>
    <message>
        <source>ティッカーを表示する画面を選びます</source>
        <translation>Chooses the screen the ticker appears on</translation>
    </message>
    <message>
        <source>記事を右から左へ流して表示する</source>
        <translation>Scroll headlines from right to left</translation>
    </message>
    <message>
        <source>見出しを一行に続けて流します</source>
        <translation>Runs the headlines one after another in a single line</translation>
    </message>
    <message>
        <source>流れる速さ</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>右ほど速く流れます</source>
        <translation>Faster to the right</translation>
    </message>
    <message>
        <source>%1（%2×%3）</source>
        <translation>%1 (%2×%3)</translation>
    </message>
    <message>
        <source>プライマリ画面 — %1</source>
        <translation>Primary screen — %1</translation>
    </message>
    <message>
        <source>%1（接続されていません）</source>
        <translation>%1 (not connected)</translation>
    </message>
    <message>
        <source>新しい見出しを読み上げる</source>
        <translation>Read new headlines aloud</translation>
    </message>
    <message>
        <source>ティッカーに出る見出しを、サイト名に続けて読み上げます</source>
        <translation>Reads each headline the ticker shows aloud, after its site name</translation>
    </message>
</context>
</TS>
