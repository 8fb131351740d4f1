<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name>BatchEndText</name>
    <message>
        <source>保存先: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message numerus="yes">
        <source>%1ファイルは画像ではないため変換しませんでした。</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>エラー: %1 In %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%1ファイルを変換終了しました。</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>%1ファイルを変換し、%2ファイルが失敗しました。</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%1ファイルを変換した時点で中止しました。</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>画像形式が不正です。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>画像形式の選択エラーです [%1]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>幅と高さには 1 ～ 32767 の数値を指定してください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>出力フォルダを作成できませんでした。</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%1ファイルは上限の %2 KB に収まりませんでした。</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>上限の %1 KB に収まりませんでした（%2 KB）。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>合計 %1 → %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>画像処理エンジンの中で予期しないエラーが起きました。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>メモリが足りません。ほかのプログラムを閉じてからお試しください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ファイルが見つかりません。移動または削除されたようです。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>このファイルかフォルダを読み書きする権限がありません。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ふつうのファイルではありません（パイプや装置など）。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ファイルが空です（0 バイト）。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ファイルが壊れているか、途中で切れています。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>画像が大きすぎて扱えません。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>画像が 1 ピクセルより小さくなってしまいます。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>変換する画像がありませんでした。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>この保存形式には対応していません。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>この画像は選んだ形式では保存できません。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存先のディスクがいっぱいです。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存先のフォルダが変換中になくなりました。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>選んだ形式に収まらない大きさの画像です。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存する名前のファイルがほかで先に作られました。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>変換したファイルをその名前で保存できませんでした。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>このシステムの libvips は選んだ形式を書き出せません。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ファイル名かパスがファイルシステムの上限より長すぎます。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>余白色を塗れませんでした。画像は保存されますが、引き伸ばされていることがあります。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>画像を余白の上に置けませんでした。保存された画像は余白色だけのことがあります。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>同時に開けるファイルの数が上限に達しました。上限を上げてもう一度お試しください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>幅と高さは 1〜32767 の数で指定します。片方を空欄か * にするともう片方は画像の縦横比に従い、50% のように書くと元の大きさの割合になります。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>見た目で選んだ画質: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>見た目で選んだ画質: %1〜%2（中央値 %3）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>残りのファイルは変換していません。</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>順番を待っているドロップ（%n 件）は、このあと続けて変換します。</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>変換後のファイルは元より大きくなりました。サイズ変換、低めの解像度、プリセット（右クリック）で小さくできます。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>見た目で選んだ画質: なし（%1 枚は判定なし）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1、%2 枚は判定なし</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Places</name>
    <message>
        <source>設定ファイル %1 のあるフォルダーには書き込めないため、設定は %2 に保存します。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Presets</name>
    <message>
        <source>メール用</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ブログ用</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SNS 正方形</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>壁紙</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>サムネイル</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Web 用 WebP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>名前を入力してください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>名前は %1 文字までです。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>名前に「=」、先頭の「[」「;」や制御文字は使えません。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>「%1」は組み込みのプリセットの名前です。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>「%1」という名前のプリセットがすでにあります。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>設定ファイルのプリセット「%1」は読み込みませんでした（使えない名前です）。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>名前に使えない文字があります (U+%1)。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StoredChoices</name>
    <message>
        <source>設定ファイルの出力ファイル名のパターン「%1」は使えないため、元のファイル名で保存します。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>設定ファイル %1 は大きすぎて読めないため、既定の設定で動きます。このファイルは書き換えません。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UserDialogs</name>
    <message>
        <source>フォルダを開く</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ファイルサイズの上限 (KB、0 で上限なし):</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WindowBatches</name>
    <message>
        <source>フォルダを開けませんでした。ファイルマネージャーで次のフォルダを開いてください。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WindowTips</name>
    <message>
        <source>画像やフォルダをここにドロップ — 右クリックでその他の設定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>オン：画像を幅 × 高さの枠に収めます
オフ：元の大きさのまま</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>画質です（解像度や dpi ではありません）。100 が最高
小さいほどファイルが小さくなります（JPEG、CMP、WEBP、AVIF、JXL）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存する画像形式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>余白の色を選びます（ウィンドウの背景がその色になります）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ホームページをブラウザーで開きます</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>枠の幅（ピクセル、1 ～ 32767）。50% なら各画像を元の大きさの半分に
高さを空欄か * にすると幅だけ合わせます。幅 = 高さで「枠の中に収める」なら長い辺の長さ
ここにもドロップできます</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>枠の高さ（ピクセル、1 ～ 32767）
幅を空欄か * にすると高さだけ合わせます
ここにもドロップできます</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>quillmorph</name>
    <message>
        <source>画像処理エンジン (libvips) を開始できませんでした。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UTF-8 のテキストではありません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;actions&gt; のファイルではありません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 行目: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 を読み書きできませんでした: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 は Thunar の項目のファイルとして読めないため、変更しませんでした (%2)。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>quillmorph で変換</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ウィンドウの現在の設定で</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Thunar の右クリックメニューに「%1」を加えました: %2
Thunar を開き直すと表示されます (thunar -q で終了できます)。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Thunar の右クリックメニューから「%1」を除きました: %2
Thunar を開き直すと消えます (thunar -q で終了できます)。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  --install-thunar-action  add &quot;Convert with quillmorph&quot; to Thunar&apos;s right-click menu
                           (~/.config/Thunar/uca.xml), with the presets
  --remove-thunar-action   take it away again, leaving the other actions as they are
</source>
        <translation>  --install-thunar-action  Thunar の右クリックメニューに「quillmorph で変換」を加える
                           (~/.config/Thunar/uca.xml)。プリセットも並ぶ
  --remove-thunar-action   それを取り除く。ほかの項目はそのまま残す
</translation>
    </message>
    <message>
        <source>Thunar の右クリックメニューに加える</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>レジストリを変更できませんでした: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>エクスプローラーの右クリックメニューに「%1」を加えました。
Windows 11 では「その他のオプションを確認」の中にあります。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>エクスプローラーの右クリックメニューから「%1」を除きました。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  --install-explorer-action
                           add &quot;Convert with quillmorph&quot; to Explorer&apos;s right-click
                           menu (HKCU\Software\Classes), with the presets
  --remove-explorer-action
                           take it away again, leaving nothing of it behind
</source>
        <translation>  --install-explorer-action
                           エクスプローラーの右クリックメニューに「quillmorph で変換」を
                           加える (HKCU\Software\Classes)。プリセットも並ぶ
  --remove-explorer-action
                           それを取り除く。何も残さない
</translation>
    </message>
    <message>
        <source>エクスプローラーの右クリックメニューに加える</source>
        <translation type="unfinished"></translation>
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
        <translation>使用法: quillmorph [--preset NAME | --preset-id ID] [--] [FILE...]

quillmorph のウィンドウを開きます。
ウィンドウにドロップした画像は、選んだ枠に収めて余白色の上の中央に置きます。
それを選んだ画像形式で、デスクトップに新しく作るフォルダに保存します。
フォルダの名前は日時 (pic + 日付 + 時刻) です。
コマンドラインの FILE は、1 回のドロップとして変換します。

ウィンドウはユーザーごとに 1 つだけ動きます。
2 つ目の quillmorph は、FILE を動いているウィンドウに渡して終わります。
FILE がなければ、ウィンドウがすでに起動していると伝えて終わります。

オプション:
  --preset NAME            FILE をプリセットの設定で変換する (quillmorph-cli --list-presets
                           が名前を並べる)。ウィンドウの設定はそのまま
  --preset-id ID           同じ。名前は UTF-8 のバイトの 16 進数で渡す
                           (右クリックメニューの項目がこう書く)
  --                       これより後の引数はすべて FILE。- で始まるものも
  --help                   この説明を表示する
  --version                バージョンを表示する
%1</translation>
    </message>
</context>
<context>
    <name>quillmorph-cli</name>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 には値が必要です</translation>
    </message>
    <message>
        <source>unknown format &quot;%1&quot;; use one of %2</source>
        <translation>画像形式「%1」はありません。%2 のいずれかを指定してください</translation>
    </message>
    <message>
        <source>--background wants #RRGGBB or a colour name, not &quot;%1&quot;</source>
        <translation>--background には「%1」ではなく、#RRGGBB か色の名前を指定してください</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>%1 というオプションはありません</translation>
    </message>
    <message>
        <source>--size and --no-size exclude each other</source>
        <translation>--size と --no-size は同時に指定できません</translation>
    </message>
    <message>
        <source>no files given</source>
        <translation>ファイルが指定されていません</translation>
    </message>
    <message>
        <source>%1 files/s</source>
        <translation>%1 ファイル/秒</translation>
    </message>
    <message>
        <source>Try &apos;quillmorph-cli --help&apos;.</source>
        <translation>詳しくは「quillmorph-cli --help」を実行してください。</translation>
    </message>
    <message>
        <source>the imaging engine (libvips) could not start</source>
        <translation>画像処理エンジン (libvips) を開始できませんでした</translation>
    </message>
    <message>
        <source>--mode wants pad, fit or fill, not &quot;%1&quot;</source>
        <translation>--mode には「%1」ではなく、pad、fit、fill のいずれかを指定してください</translation>
    </message>
    <message>
        <source>--crop wants centre or attention, not &quot;%1&quot;</source>
        <translation>--crop には「%1」ではなく、centre か attention を指定してください</translation>
    </message>
    <message>
        <source>--max-size wants a size in KB or with K or M, up to 1024M, not &quot;%1&quot;</source>
        <translation>--max-size には「%1」ではなく、KB 単位の数値か、K または M を付けたサイズ (1024M まで) を指定してください</translation>
    </message>
    <message>
        <source>--max-size wants at least 1K (0 for no limit), not &quot;%1&quot;</source>
        <translation>--max-size には「%1」ではなく、1K 以上のサイズ (0 で上限なし) を指定してください</translation>
    </message>
    <message>
        <source>--name: &quot;%1&quot; cannot be in a name; the fields are {name}, {n}, {w}, {h}, {date} and {preset}</source>
        <translation>--name: 「%1」は名前に使えません。使えるのは {name}、{n}、{w}、{h}、{date}、{preset} です</translation>
    </message>
    <message>
        <source>--size wants WxH with W and H from 1 to 32767, Wx* or *xH, or a percent such as 50%, not &quot;%1&quot;</source>
        <translation>--size には「%1」ではなく、W と H が 1 ～ 32767 の WxH、Wx* か *xH、または 50% のような割合を指定してください</translation>
    </message>
    <message>
        <source>unknown preset &quot;%1&quot;; use one of %2</source>
        <translation>プリセット「%1」はありません。%2 のいずれかを指定してください</translation>
    </message>
    <message>
        <source>--quality wants a number from 0 to 100 or auto, not &quot;%1&quot;</source>
        <translation>--quality には「%1」ではなく、0 ～ 100 の数値か auto を指定してください</translation>
    </message>
    <message>
        <source>--name: a name cannot begin with &quot;%1&quot;: the outputs would be hidden files</source>
        <translation>--name: 「%1」で始まる名前は出力が隠しファイルになるため使えません</translation>
    </message>
    <message>
        <source>--name: a name cannot hold a line break or another control character (U+%1)</source>
        <translation>--name: 改行や制御文字 (U+%1) は名前に使えません</translation>
    </message>
    <message>
        <source>, </source>
        <comment>between two items of a list</comment>
        <translation>、</translation>
    </message>
    <message>
        <source>make the dated folder in DIR instead of the Desktop</source>
        <translation>日時付きのフォルダをデスクトップではなく DIR に作る</translation>
    </message>
    <message>
        <source>one of %1</source>
        <translation>画像形式: %1 のいずれか</translation>
    </message>
    <message>
        <source>fit into a box of W x H pixels (size conversion on); Wx* or *xH: that side, the other follows the picture; P%: each picture at P percent of its own size</source>
        <translation>幅 W、高さ H ピクセルの枠に収める (サイズ変換オン)。Wx* か *xH: その辺だけ合わせ、もう片方は画像に従う。P%: 各画像を元の大きさの P パーセントにする</translation>
    </message>
    <message>
        <source>keep each image&apos;s own size (size conversion off)</source>
        <translation>画像をそれぞれ元のサイズのままにする (サイズ変換オフ)</translation>
    </message>
    <message>
        <source>quality value, 100 best (JPEG, CMP, WEBP, AVIF, JXL)</source>
        <translation>解像度、100 が最高 (JPEG、CMP、WEBP、AVIF、JXL)</translation>
    </message>
    <message>
        <source>each picture at the lowest quality that looks the same, by the Butteraugli metric; the quality value is the ceiling</source>
        <translation>画像ごとに、見た目が変わらない最低の画質を Butteraugli で選ぶ。解像度が上限になる</translation>
    </message>
    <message>
        <source>margin colour: #RRGGBB or a colour name such as white</source>
        <translation>余白色: #RRGGBB、または white などの色の名前</translation>
    </message>
    <message>
        <source>report a failed file on standard error and go on</source>
        <translation>失敗したファイルを標準エラー出力に書いて次へ進む</translation>
    </message>
    <message>
        <source>how a picture meets the box: pad (the whole box, the picture centred on the margin colour), fit (the picture&apos;s own scaled size, no margin) or fill (the whole box, the overflow cropped)</source>
        <translation>サイズの合わせ方: pad (枠の大きさにして、余白色の上の中央に置く)、fit (余白なしで枠の中に収める)、fill (枠いっぱいにして、はみ出た部分を切り抜く)</translation>
    </message>
    <message>
        <source>what a fill keeps: centre, or attention (the busiest part)</source>
        <translation>fill で残す部分: centre (中央) または attention (主な被写体)</translation>
    </message>
    <message>
        <source>a picture smaller than the box keeps its own size</source>
        <translation>枠より小さい画像は拡大せず、元のサイズのままにする</translation>
    </message>
    <message>
        <source>keep the date taken, camera, exposure, artist, copyright and description (JPEG, PNG, WEBP, AVIF); never GPS, serial numbers, maker notes, thumbnails, XMP or IPTC</source>
        <translation>撮影日時、カメラ、露出、作者、著作権、説明を残す (JPEG、PNG、WEBP、AVIF)。位置情報 (GPS)、シリアル番号、メーカーノート、サムネイル、XMP、IPTC は残さない</translation>
    </message>
    <message>
        <source>give each output its source&apos;s modification time</source>
        <translation>出力ファイルの更新日時を元のファイルと同じにする</translation>
    </message>
    <message>
        <source>every output at most SIZE: KB, or with K or M (300K, 1.5M); the best quality that fits (JPEG, CMP, WEBP, AVIF, JXL; PNG as a palette, GIF with fewer colours); outputs of a free size are made smaller to fit</source>
        <translation>出力ファイルをそれぞれ SIZE 以下にする: KB 単位、または K、M を付ける (300K、1.5M)。収まる中で最高の画質で保存する (JPEG、CMP、WEBP、AVIF、JXL。PNG はパレット画像に、GIF は色を減らす)。大きさが決まっていない出力は、収まるまで小さくする</translation>
    </message>
    <message>
        <source>the choices of a preset (mail, blog, sns-square, wallpaper, thumbnail, web-webp, its label such as メール用, or one saved in the window); options given go over it</source>
        <translation>プリセットの設定で変換する (mail、blog、sns-square、wallpaper、thumbnail、web-webp、メール用 などの表示名、またはウィンドウで保存したもの)。指定したオプションはプリセットより優先する</translation>
    </message>
    <message>
        <source>list the presets: the name, a tab, the label</source>
        <translation>プリセットを一覧にする: 名前、タブ、表示名</translation>
    </message>
    <message>
        <source>name the outputs by PATTERN: %1 (e.g. {name}_{w}x{h}, shop_{n})</source>
        <translation>出力ファイル名を PATTERN で付ける: %1 (例: {name}_{w}x{h}、shop_{n})</translation>
    </message>
    <message>
        <source>show this text</source>
        <translation>この説明を表示する</translation>
    </message>
    <message>
        <source>show the version</source>
        <translation>バージョンを表示する</translation>
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
        <translation>使用法: quillmorph-cli [--output-dir DIR] [--format NAME] [--size WxH | --no-size]
                       [--quality Q|auto] [--background COLOR] [--keep-going]
                       [--mode pad|fit|fill] [--crop centre|attention] [--no-enlarge]
                       [--keep-metadata] [--keep-dates] [--max-size SIZE]
                       [--preset NAME] [--name PATTERN] FILE...
       quillmorph-cli --list-presets

FILE を quillmorph のウィンドウにドロップしたときと同じように変換します。
出力先は、デスクトップに新しく作る日時付きのフォルダ (pic + 日付 + 時刻) です。
画像はそれぞれ、枠に収めて余白色の上の中央に置きます。
フォルダは、その中とサブフォルダの中の画像を表します。
その出力は同じツリーに並び、画像でないファイルは変換しません。
指定しなかったオプションは、保存された設定 (または既定値) に従います。
ただし --keep-going とそれより後のオプションは、指定しなければオフです。
</translation>
    </message>
    <message>
        <source>Exit status: 0 all files converted, 1 the batch ended on a failure (or, with
--keep-going, any file failed), 2 usage error.
</source>
        <translation>終了ステータス: 0 すべてを変換した、1 失敗で中止した、2 コマンドラインの誤り。
--keep-going のときは、失敗したファイルが 1 つでもあれば 1 です。
</translation>
    </message>
    <message>
        <source>the source&apos;s name</source>
        <translation>元の名前</translation>
    </message>
    <message>
        <source>its number in the batch</source>
        <translation>バッチ内の番号</translation>
    </message>
    <message>
        <source>the width</source>
        <translation>幅</translation>
    </message>
    <message>
        <source>the height</source>
        <translation>高さ</translation>
    </message>
    <message>
        <source>the day taken (YYYYMMDD)</source>
        <translation>撮影日 (YYYYMMDD)</translation>
    </message>
    <message>
        <source>the preset&apos;s name</source>
        <translation>プリセット名</translation>
    </message>
</context>
<context>
    <name>quillmorph::PresetMenu</name>
    <message>
        <source>プリセット</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>現在の設定をプリセットとして保存…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>名前を変更</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>削除</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>プリセットの名前:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>プリセットを設定ファイルに保存できませんでした。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>「%1」の新しい名前:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>プリセット「%1」を削除しますか？</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>quillmorph::SurfaceMenu</name>
    <message>
        <source>エラーがあっても続ける</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>拡大しない</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>撮影情報を残す（位置情報は削除）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>元のファイルの日時を保つ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>サイズの合わせ方</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>余白を付けて枠に合わせる</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>枠の中に収める（余白なし）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>枠いっぱいに切り抜く</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>切り抜きは主な被写体に合わせる</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存先…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>デスクトップに戻す</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ファイルサイズの上限…（%1）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 KB まで</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上限なし</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>出力ファイル名…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>使えない部分があります: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>例: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>元のファイル名</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>画質を自動で決める（見た目そのまま）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>「.」で始まる名前は隠しファイルになるため使えません。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>改行や制御文字は名前に使えません。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&#x3000;</source>
        <extracomment>between two fields of the name pattern&apos;s help line</extracomment>
        <translation>&#x3000;</translation>
    </message>
    <message>
        <source>出力ファイル名のパターン（空欄で元のファイル名）:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>quillmorph::SurfaceNote</name>
    <message>
        <source>画像をここにドロップ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>右クリックでその他の設定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>準備中…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>待ち %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>quillmorph::frmMain</name>
    <message>
        <source>余白色変更</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ホームページ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>サイズ変換</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>幅：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>高さ：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>解像度：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>画像形式：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>pixels</source>
        <translation>pixels</translation>
    </message>
    <message>
        <source>すでに「quillmorph」は起動されています。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ホームページが見つかりませんでした。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ホームページを開けませんでした。ブラウザーで次のページを開いてください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>プリセット「%1」が見つかりません。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
