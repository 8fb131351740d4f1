<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>BatchEndText</name>
    <message>
        <source>保存先: %1</source>
        <translation>Saved in: %1</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message numerus="yes">
        <source>%1ファイルは画像ではないため変換しませんでした。</source>
        <translation>
            <numerusform>Skipped%1 file that is not a picture.</numerusform>
            <numerusform>Skipped%1 files that are not pictures.</numerusform>
        </translation>
    </message>
    <message>
        <source>エラー: %1 In %2</source>
        <translation>Error%1 in %2</translation>
    </message>
    <message numerus="yes">
        <source>%1ファイルを変換終了しました。</source>
        <translation>
            <numerusform>Converted%1 file.</numerusform>
            <numerusform>Converted%1 files.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1ファイルを変換し、%2ファイルが失敗しました。</source>
        <translation>Files converted:%1, failed:%2.</translation>
    </message>
    <message numerus="yes">
        <source>%1ファイルを変換した時点で中止しました。</source>
        <translation>
            <numerusform>Cancelled after converting%1 file.</numerusform>
            <numerusform>Cancelled after converting%1 files.</numerusform>
        </translation>
    </message>
    <message>
        <source>画像形式が不正です。</source>
        <translation>Not a picture format quillmorph reads.</translation>
    </message>
    <message>
        <source>画像形式の選択エラーです [%1]</source>
        <translation>Unknown image format [%1]</translation>
    </message>
    <message>
        <source>幅と高さには 1 ～ 32767 の数値を指定してください。</source>
        <translation>Width and height must be numbers from 1 to 32767.</translation>
    </message>
    <message>
        <source>出力フォルダを作成できませんでした。</source>
        <translation>The output folder could not be created.</translation>
    </message>
    <message numerus="yes">
        <source>%1ファイルは上限の %2 KB に収まりませんでした。</source>
        <translation>
            <numerusform>Could not bring%1 file under %2 KB.</numerusform>
            <numerusform>Could not bring%1 files under %2 KB.</numerusform>
        </translation>
    </message>
    <message>
        <source>上限の %1 KB に収まりませんでした（%2 KB）。</source>
        <translation>Over the %1 KB limit (%2 KB).</translation>
    </message>
    <message>
        <source>合計 %1 → %2</source>
        <translation>Total %1 → %2</translation>
    </message>
    <message>
        <source>画像処理エンジンの中で予期しないエラーが起きました。</source>
        <translation>Something unexpected went wrong inside the imaging engine.</translation>
    </message>
    <message>
        <source>メモリが足りません。ほかのプログラムを閉じてからお試しください。</source>
        <translation>There is not enough memory. Close other programs and try again.</translation>
    </message>
    <message>
        <source>ファイルが見つかりません。移動または削除されたようです。</source>
        <translation>The file is not there; it seems to have been moved or deleted.</translation>
    </message>
    <message>
        <source>このファイルかフォルダを読み書きする権限がありません。</source>
        <translation>You have no permission to read or write this file or folder.</translation>
    </message>
    <message>
        <source>ふつうのファイルではありません（パイプや装置など）。</source>
        <translation>This is not a regular file (a pipe, a device or the like).</translation>
    </message>
    <message>
        <source>ファイルが空です（0 バイト）。</source>
        <translation>The file is empty (0 bytes).</translation>
    </message>
    <message>
        <source>ファイルが壊れているか、途中で切れています。</source>
        <translation>The file is damaged or cut short.</translation>
    </message>
    <message>
        <source>画像が大きすぎて扱えません。</source>
        <translation>The picture is too large to handle.</translation>
    </message>
    <message>
        <source>画像が 1 ピクセルより小さくなってしまいます。</source>
        <translation>The picture would become smaller than one pixel.</translation>
    </message>
    <message>
        <source>変換する画像がありませんでした。</source>
        <translation>There was no picture to convert.</translation>
    </message>
    <message>
        <source>この保存形式には対応していません。</source>
        <translation>This output format is not supported.</translation>
    </message>
    <message>
        <source>この画像は選んだ形式では保存できません。</source>
        <translation>This picture cannot be saved in the chosen format.</translation>
    </message>
    <message>
        <source>保存先のディスクがいっぱいです。</source>
        <translation>The disk the pictures go to is full.</translation>
    </message>
    <message>
        <source>保存先のフォルダが変換中になくなりました。</source>
        <translation>The folder the pictures go into disappeared during the batch.</translation>
    </message>
    <message>
        <source>選んだ形式に収まらない大きさの画像です。</source>
        <translation>The picture is too large for the chosen format.</translation>
    </message>
    <message>
        <source>保存する名前のファイルがほかで先に作られました。</source>
        <translation>Another file took the output&apos;s name first.</translation>
    </message>
    <message>
        <source>変換したファイルをその名前で保存できませんでした。</source>
        <translation>The converted file could not be stored under its name.</translation>
    </message>
    <message>
        <source>このシステムの libvips は選んだ形式を書き出せません。</source>
        <translation>This system&apos;s libvips cannot write the chosen format.</translation>
    </message>
    <message>
        <source>ファイル名かパスがファイルシステムの上限より長すぎます。</source>
        <translation>A file name or path is longer than the file system allows.</translation>
    </message>
    <message>
        <source>余白色を塗れませんでした。画像は保存されますが、引き伸ばされていることがあります。</source>
        <translation>The margin colour could not be painted; the picture is saved, but may look stretched.</translation>
    </message>
    <message>
        <source>画像を余白の上に置けませんでした。保存された画像は余白色だけのことがあります。</source>
        <translation>The picture could not be placed on its margin; the saved file may show the margin colour only.</translation>
    </message>
    <message>
        <source>同時に開けるファイルの数が上限に達しました。上限を上げてもう一度お試しください。</source>
        <translation>Too many files are open at once. Raise the limit and try again.</translation>
    </message>
    <message>
        <source>幅と高さは 1〜32767 の数で指定します。片方を空欄か * にするともう片方は画像の縦横比に従い、50% のように書くと元の大きさの割合になります。</source>
        <translation>Width and height are numbers from 1 to 32767. Leave one empty or * and it follows the picture&apos;s proportions; write 50% for a share of each picture&apos;s own size.</translation>
    </message>
    <message>
        <source>見た目で選んだ画質: %1</source>
        <translation>Quality chosen by eye: %1</translation>
    </message>
    <message>
        <source>見た目で選んだ画質: %1〜%2（中央値 %3）</source>
        <translation>Quality chosen by eye: %1–%2 (median %3)</translation>
    </message>
    <message>
        <source>残りのファイルは変換していません。</source>
        <translation>The remaining files were not converted.</translation>
    </message>
    <message numerus="yes">
        <source>順番を待っているドロップ（%n 件）は、このあと続けて変換します。</source>
        <translation>
            <numerusform>The drop waiting its turn is still converted next.</numerusform>
            <numerusform>The %n drops waiting their turn are still converted next.</numerusform>
        </translation>
    </message>
    <message>
        <source>変換後のファイルは元より大きくなりました。サイズ変換、低めの解像度、プリセット（右クリック）で小さくできます。</source>
        <translation>The converted files are larger than the originals. Resize, a lower Quality or a preset (right-click) makes them smaller.</translation>
    </message>
    <message>
        <source>見た目で選んだ画質: なし（%1 枚は判定なし）</source>
        <translation>Quality chosen by eye: none (%1 not judged)</translation>
    </message>
    <message>
        <source>%1、%2 枚は判定なし</source>
        <translation>%1, %2 not judged</translation>
    </message>
</context>
<context>
    <name>Places</name>
    <message>
        <source>設定ファイル %1 のあるフォルダーには書き込めないため、設定は %2 に保存します。</source>
        <translation>The folder of the settings file %1 cannot be written; your choices are saved in %2.</translation>
    </message>
</context>
<context>
    <name>Presets</name>
    <message>
        <source>メール用</source>
        <translation>For e-mail</translation>
    </message>
    <message>
        <source>ブログ用</source>
        <translation>For a blog</translation>
    </message>
    <message>
        <source>SNS 正方形</source>
        <translation>Social square</translation>
    </message>
    <message>
        <source>壁紙</source>
        <translation>Wallpaper</translation>
    </message>
    <message>
        <source>サムネイル</source>
        <translation>Thumbnail</translation>
    </message>
    <message>
        <source>Web 用 WebP</source>
        <translation>WebP for the web</translation>
    </message>
    <message>
        <source>名前を入力してください。</source>
        <translation>Please enter a name.</translation>
    </message>
    <message>
        <source>名前は %1 文字までです。</source>
        <translation>A name has at most %1 characters.</translation>
    </message>
    <message>
        <source>名前に「=」、先頭の「[」「;」や制御文字は使えません。</source>
        <translation>A name cannot hold &quot;=&quot; or control characters, nor start with &quot;[&quot; or &quot;;&quot;.</translation>
    </message>
    <message>
        <source>「%1」は組み込みのプリセットの名前です。</source>
        <translation>&quot;%1&quot; is the name of a built-in preset.</translation>
    </message>
    <message>
        <source>「%1」という名前のプリセットがすでにあります。</source>
        <translation>A preset named &quot;%1&quot; already exists.</translation>
    </message>
    <message>
        <source>設定ファイルのプリセット「%1」は読み込みませんでした（使えない名前です）。</source>
        <translation>The preset &quot;%1&quot; in the settings file was not read: no preset may have that name.</translation>
    </message>
    <message>
        <source>名前に使えない文字があります (U+%1)。</source>
        <translation>The name holds a character a name cannot have (U+%1).</translation>
    </message>
</context>
<context>
    <name>StoredChoices</name>
    <message>
        <source>設定ファイルの出力ファイル名のパターン「%1」は使えないため、元のファイル名で保存します。</source>
        <translation>The name pattern &quot;%1&quot; in the settings file cannot be used; the outputs keep their sources&apos; names.</translation>
    </message>
    <message>
        <source>設定ファイル %1 は大きすぎて読めないため、既定の設定で動きます。このファイルは書き換えません。</source>
        <translation>The settings file %1 is too large to read; the program runs on its defaults and leaves that file as it is.</translation>
    </message>
</context>
<context>
    <name>UserDialogs</name>
    <message>
        <source>フォルダを開く</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>ファイルサイズの上限 (KB、0 で上限なし):</source>
        <translation>File size limit in KB (0 for none):</translation>
    </message>
</context>
<context>
    <name>WindowBatches</name>
    <message>
        <source>フォルダを開けませんでした。ファイルマネージャーで次のフォルダを開いてください。</source>
        <translation>The folder could not be opened. Open this folder in your file manager:</translation>
    </message>
</context>
<context>
    <name>WindowTips</name>
    <message>
        <source>画像やフォルダをここにドロップ — 右クリックでその他の設定</source>
        <translation>Drop pictures or folders here — right-click for more settings</translation>
    </message>
    <message>
        <source>オン：画像を幅 × 高さの枠に収めます
オフ：元の大きさのまま</source>
        <translation>On: pictures are fitted into width × height
Off: they keep their own size</translation>
    </message>
    <message>
        <source>画質です（解像度や dpi ではありません）。100 が最高
小さいほどファイルが小さくなります（JPEG、CMP、WEBP、AVIF、JXL）</source>
        <translation>Picture quality (not resolution or dpi): 100 is best
lower gives smaller files (JPEG, CMP, WEBP, AVIF, JXL)</translation>
    </message>
    <message>
        <source>保存する画像形式</source>
        <translation>The format pictures are saved in</translation>
    </message>
    <message>
        <source>余白の色を選びます（ウィンドウの背景がその色になります）</source>
        <translation>Choose the margin colour (the window shows it)</translation>
    </message>
    <message>
        <source>ホームページをブラウザーで開きます</source>
        <translation>Open the home page in your web browser</translation>
    </message>
    <message>
        <source>枠の幅（ピクセル、1 ～ 32767）。50% なら各画像を元の大きさの半分に
高さを空欄か * にすると幅だけ合わせます。幅 = 高さで「枠の中に収める」なら長い辺の長さ
ここにもドロップできます</source>
        <translation>Box width (pixels, 1 to 32767). 50% makes each picture half its own size
With the height empty or *, only the width is fitted. Width = height with &quot;Fit inside&quot; is the longest side
You can drop files here too</translation>
    </message>
    <message>
        <source>枠の高さ（ピクセル、1 ～ 32767）
幅を空欄か * にすると高さだけ合わせます
ここにもドロップできます</source>
        <translation>Box height (pixels, 1 to 32767)
With the width empty or *, only the height is fitted
You can drop files here too</translation>
    </message>
</context>
<context>
    <name>quillmorph</name>
    <message>
        <source>画像処理エンジン (libvips) を開始できませんでした。</source>
        <translation>The imaging engine (libvips) could not start.</translation>
    </message>
    <message>
        <source>UTF-8 のテキストではありません</source>
        <translation>not UTF-8 text</translation>
    </message>
    <message>
        <source>&lt;actions&gt; のファイルではありません</source>
        <translation>not a file of &lt;actions&gt;</translation>
    </message>
    <message>
        <source>%1 行目: %2</source>
        <translation>line %1: %2</translation>
    </message>
    <message>
        <source>%1 を読み書きできませんでした: %2</source>
        <translation>Could not read or write %1: %2</translation>
    </message>
    <message>
        <source>%1 は Thunar の項目のファイルとして読めないため、変更しませんでした (%2)。</source>
        <translation>%1 is not an actions file Thunar could read, so it was left unchanged (%2).</translation>
    </message>
    <message>
        <source>quillmorph で変換</source>
        <translation>Convert with quillmorph</translation>
    </message>
    <message>
        <source>ウィンドウの現在の設定で</source>
        <translation>With the window&apos;s current choices</translation>
    </message>
    <message>
        <source>Thunar の右クリックメニューに「%1」を加えました: %2
Thunar を開き直すと表示されます (thunar -q で終了できます)。</source>
        <translation>Added &quot;%1&quot; to Thunar&apos;s right-click menu: %2
It shows once Thunar starts again (thunar -q ends it).</translation>
    </message>
    <message>
        <source>Thunar の右クリックメニューから「%1」を除きました: %2
Thunar を開き直すと消えます (thunar -q で終了できます)。</source>
        <translation>Took &quot;%1&quot; out of Thunar&apos;s right-click menu: %2
It goes once Thunar starts again (thunar -q ends it).</translation>
    </message>
    <message>
        <source>  --install-thunar-action  add &quot;Convert with quillmorph&quot; to Thunar&apos;s right-click menu
                           (~/.config/Thunar/uca.xml), with the presets
  --remove-thunar-action   take it away again, leaving the other actions as they are
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Thunar の右クリックメニューに加える</source>
        <translation>Add to Thunar&apos;s right-click menu</translation>
    </message>
    <message>
        <source>レジストリを変更できませんでした: %1</source>
        <translation>Could not change the registry: %1</translation>
    </message>
    <message>
        <source>エクスプローラーの右クリックメニューに「%1」を加えました。
Windows 11 では「その他のオプションを確認」の中にあります。</source>
        <translation>Added &quot;%1&quot; to Explorer&apos;s right-click menu.
On Windows 11 it is under &quot;Show more options&quot;.</translation>
    </message>
    <message>
        <source>エクスプローラーの右クリックメニューから「%1」を除きました。</source>
        <translation>Took &quot;%1&quot; out of Explorer&apos;s right-click menu.</translation>
    </message>
    <message>
        <source>  --install-explorer-action
                           add &quot;Convert with quillmorph&quot; to Explorer&apos;s right-click
                           menu (HKCU\Software\Classes), with the presets
  --remove-explorer-action
                           take it away again, leaving nothing of it behind
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>エクスプローラーの右クリックメニューに加える</source>
        <translation>Add to Explorer&apos;s right-click menu</translation>
    </message>
    <message>
        <source>Usage: quillmorph [--preset NAME | --preset-id ID] [--] [FILE...]

Opens the quillmorph window. Pictures dropped on it are fitted into the chosen box on the
margin colour and saved in the chosen format into a new dated folder (pic + date + time)
on the Desktop. FILEs given on the command line are converted as one drop.

Only one window runs per user: a second quillmorph hands its FILEs to the running window
and ends, or without FILEs says that the window is already running and ends.

Options:
  --preset NAME            convert the FILEs with a preset (quillmorph-cli --list-presets
                           names them); the window&apos;s own choices stay as they are
  --preset-id ID           the same, the name given as the hexadecimal digits of its UTF-8
                           bytes (as the right-click actions name it)
  --                       every argument after it is a FILE, even one starting with -
  --help                   show this text
  --version                show the version
%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>quillmorph-cli</name>
    <message>
        <source>%1 needs a value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown format &quot;%1&quot;; use one of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--background wants #RRGGBB or a colour name, not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--size and --no-size exclude each other</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no files given</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 files/s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Try &apos;quillmorph-cli --help&apos;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the imaging engine (libvips) could not start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--mode wants pad, fit or fill, not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--crop wants centre or attention, not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--max-size wants a size in KB or with K or M, up to 1024M, not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--max-size wants at least 1K (0 for no limit), not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--name: &quot;%1&quot; cannot be in a name; the fields are {name}, {n}, {w}, {h}, {date} and {preset}</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--size wants WxH with W and H from 1 to 32767, Wx* or *xH, or a percent such as 50%, not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown preset &quot;%1&quot;; use one of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--quality wants a number from 0 to 100 or auto, not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--name: a name cannot begin with &quot;%1&quot;: the outputs would be hidden files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--name: a name cannot hold a line break or another control character (U+%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, </source>
        <comment>between two items of a list</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>make the dated folder in DIR instead of the Desktop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>one of %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>fit into a box of W x H pixels (size conversion on); Wx* or *xH: that side, the other follows the picture; P%: each picture at P percent of its own size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>keep each image&apos;s own size (size conversion off)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>quality value, 100 best (JPEG, CMP, WEBP, AVIF, JXL)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>each picture at the lowest quality that looks the same, by the Butteraugli metric; the quality value is the ceiling</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>margin colour: #RRGGBB or a colour name such as white</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>report a failed file on standard error and go on</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>how a picture meets the box: pad (the whole box, the picture centred on the margin colour), fit (the picture&apos;s own scaled size, no margin) or fill (the whole box, the overflow cropped)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>what a fill keeps: centre, or attention (the busiest part)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a picture smaller than the box keeps its own size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>keep the date taken, camera, exposure, artist, copyright and description (JPEG, PNG, WEBP, AVIF); never GPS, serial numbers, maker notes, thumbnails, XMP or IPTC</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>give each output its source&apos;s modification time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>every output at most SIZE: KB, or with K or M (300K, 1.5M); the best quality that fits (JPEG, CMP, WEBP, AVIF, JXL; PNG as a palette, GIF with fewer colours); outputs of a free size are made smaller to fit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the choices of a preset (mail, blog, sns-square, wallpaper, thumbnail, web-webp, its label such as メール用, or one saved in the window); options given go over it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>list the presets: the name, a tab, the label</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>name the outputs by PATTERN: %1 (e.g. {name}_{w}x{h}, shop_{n})</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>show this text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>show the version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: quillmorph-cli [--output-dir DIR] [--format NAME] [--size WxH | --no-size]
                      [--quality Q|auto] [--background COLOR] [--keep-going]
                      [--mode pad|fit|fill] [--crop centre|attention] [--no-enlarge]
                      [--keep-metadata] [--keep-dates] [--max-size SIZE]
                      [--preset NAME] [--name PATTERN] FILE...
       quillmorph-cli --list-presets

Converts FILEs as a drop on the quillmorph window would: into a new dated folder
(pic + date + time) on the Desktop, each fitted into the box on the margin colour.
A folder stands for the pictures in it and its subfolders; their outputs keep
its tree. Files inside folders that are not pictures are skipped.
Options not given come from the stored settings (or their defaults); --keep-going
and the options after it are off unless given.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit status: 0 all files converted, 1 the batch ended on a failure (or, with
--keep-going, any file failed), 2 usage error.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the source&apos;s name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its number in the batch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the width</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the height</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the day taken (YYYYMMDD)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the preset&apos;s name</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>quillmorph::PresetMenu</name>
    <message>
        <source>プリセット</source>
        <translation>Presets</translation>
    </message>
    <message>
        <source>現在の設定をプリセットとして保存…</source>
        <translation>Save the current settings as a preset…</translation>
    </message>
    <message>
        <source>名前を変更</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>プリセットの名前:</source>
        <translation>Name of the preset:</translation>
    </message>
    <message>
        <source>プリセットを設定ファイルに保存できませんでした。</source>
        <translation>The preset could not be saved in the settings file.</translation>
    </message>
    <message>
        <source>「%1」の新しい名前:</source>
        <translation>New name for &quot;%1&quot;:</translation>
    </message>
    <message>
        <source>プリセット「%1」を削除しますか？</source>
        <translation>Delete the preset &quot;%1&quot;?</translation>
    </message>
</context>
<context>
    <name>quillmorph::SurfaceMenu</name>
    <message>
        <source>エラーがあっても続ける</source>
        <translation>Keep going after errors</translation>
    </message>
    <message>
        <source>拡大しない</source>
        <translation>Never enlarge</translation>
    </message>
    <message>
        <source>撮影情報を残す（位置情報は削除）</source>
        <translation>Keep photo information (location removed)</translation>
    </message>
    <message>
        <source>元のファイルの日時を保つ</source>
        <translation>Keep the original files&apos; dates</translation>
    </message>
    <message>
        <source>サイズの合わせ方</source>
        <translation>Fitting to the box</translation>
    </message>
    <message>
        <source>余白を付けて枠に合わせる</source>
        <translation>Fit inside the box, with margins</translation>
    </message>
    <message>
        <source>枠の中に収める（余白なし）</source>
        <translation>Fit inside the box, no margins</translation>
    </message>
    <message>
        <source>枠いっぱいに切り抜く</source>
        <translation>Fill the box, cropping the overflow</translation>
    </message>
    <message>
        <source>切り抜きは主な被写体に合わせる</source>
        <translation>Crop around the main subject</translation>
    </message>
    <message>
        <source>保存先…</source>
        <translation>Save to…</translation>
    </message>
    <message>
        <source>デスクトップに戻す</source>
        <translation>Back to the Desktop</translation>
    </message>
    <message>
        <source>ファイルサイズの上限…（%1）</source>
        <translation>File size limit… (%1)</translation>
    </message>
    <message>
        <source>%1 KB まで</source>
        <translation>Up to %1 KB</translation>
    </message>
    <message>
        <source>上限なし</source>
        <translation>No limit</translation>
    </message>
    <message>
        <source>出力ファイル名…</source>
        <translation>Output file names…</translation>
    </message>
    <message>
        <source>使えない部分があります: %1</source>
        <translation>This cannot be used: %1</translation>
    </message>
    <message>
        <source>例: %1</source>
        <translation>Example: %1</translation>
    </message>
    <message>
        <source>元のファイル名</source>
        <translation>Source file names</translation>
    </message>
    <message>
        <source>画質を自動で決める（見た目そのまま）</source>
        <translation>Choose quality by eye (looks the same)</translation>
    </message>
    <message>
        <source>「.」で始まる名前は隠しファイルになるため使えません。</source>
        <translation>A name beginning with &quot;.&quot; would make hidden files.</translation>
    </message>
    <message>
        <source>改行や制御文字は名前に使えません。</source>
        <translation>Line breaks and control characters cannot be in a name.</translation>
    </message>
    <message>
        <source>&#x3000;</source>
        <extracomment>between two fields of the name pattern&apos;s help line</extracomment>
        <translation>   </translation>
    </message>
    <message>
        <source>出力ファイル名のパターン（空欄で元のファイル名）:</source>
        <translation>Output file name pattern (empty: the source&apos;s name):</translation>
    </message>
</context>
<context>
    <name>quillmorph::SurfaceNote</name>
    <message>
        <source>画像をここにドロップ</source>
        <translation>Drop pictures here</translation>
    </message>
    <message>
        <source>右クリックでその他の設定</source>
        <translation>Right-click for more</translation>
    </message>
    <message>
        <source>準備中…</source>
        <translation>Preparing…</translation>
    </message>
    <message>
        <source>待ち %1</source>
        <translation>%1 waiting</translation>
    </message>
</context>
<context>
    <name>quillmorph::frmMain</name>
    <message>
        <source>余白色変更</source>
        <translation>Margin colour</translation>
    </message>
    <message>
        <source>ホームページ</source>
        <translation>Home page</translation>
    </message>
    <message>
        <source>サイズ変換</source>
        <translation>Resize</translation>
    </message>
    <message>
        <source>幅：</source>
        <translation>Width:</translation>
    </message>
    <message>
        <source>高さ：</source>
        <translation>Height:</translation>
    </message>
    <message>
        <source>解像度：</source>
        <translation>Quality:</translation>
    </message>
    <message>
        <source>画像形式：</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>pixels</source>
        <translation>pixels</translation>
    </message>
    <message>
        <source>すでに「quillmorph」は起動されています。</source>
        <translation>quillmorph is already running.</translation>
    </message>
    <message>
        <source>ホームページが見つかりませんでした。</source>
        <translation>The home page was not found.</translation>
    </message>
    <message>
        <source>ホームページを開けませんでした。ブラウザーで次のページを開いてください。</source>
        <translation>The home page could not be opened. Open this page in your web browser:</translation>
    </message>
    <message>
        <source>プリセット「%1」が見つかりません。</source>
        <translation>There is no preset &quot;%1&quot;.</translation>
    </message>
</context>
</TS>
