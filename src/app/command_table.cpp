#include "app/command_table.h"

#include "platform/keys.h"

namespace marquetta {

const std::vector<CommandInfo>& CommandTable() {
    static const std::vector<CommandInfo> table = {
        {ID_FILE_NEW, "新規作成(&N)\tCtrl+N", "新規に文書を作成します", "新規作成"},
        {ID_FILE_OPEN, "開く(&O)...\tCtrl+O", "既存の文書を開きます", "開く"},
        {ID_FILE_SAVE, "上書き保存(&S)\tCtrl+S", "文書を上書きして保存します", "上書き保存"},
        {ID_FILE_SAVE_AS, "名前を付けて保存(&A)...", "文書に名前を付けて保存します", ""},
        {ID_DXF_IMPORT, "DXFファイル(&D)...", "DXFファイルを読み込みます", ""},
        {ID_DXF_EXPORT, "DXFファイル(&D)...", "DXFファイルに書き出します", ""},
        {ID_POV_EXPORT, "POVファイル(P)...", "", ""},
        {ID_INSERT_FILE, "挿入(&I)...", "オブジェクトを挿入", "挿入"},
        {ID_FILE_PRINT, "印刷(&P)...\tCtrl+P", "文書を印刷します", "印刷"},
        {ID_FILE_PRINT_DIRECT, "", "文書を印刷します", ""},
        {ID_FILE_PRINT_PREVIEW, "印刷ﾌﾟﾚﾋﾞｭｰ(&V)", "印刷結果を表示します", ""},
        {ID_FILE_PRINT_SETUP, "ﾌﾟﾘﾝﾀの設定(&R)...", "プリンタと印刷オプションを変更します", ""},
        {ID_FILE_MRU_FIRST, "最近使ったﾌｧｲﾙ", "この文書を開きます", ""},
        {ID_FILE_MRU_FIRST + 1, "", "この文書を開きます", ""},
        {ID_FILE_MRU_FIRST + 2, "", "この文書を開きます", ""},
        {ID_FILE_MRU_LAST, "", "この文書を開きます", ""},
        {ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", "アプリケーションを終了します", ""},
        {ID_EDIT_UNDO, "元に戻す(&U)\tCtrl+Z", "直前の操作を元に戻します", ""},
        {ID_EDIT_REDO, "やり直し(&R)\tCtrl+Y", "元に戻した操作をやり直します", ""},
        {ID_EDIT_CUT, "切り取り(&T)\tCtrl+X", "選択した図形をクリップボードにコピーしてから消去します",
         "切り取り"},
        {ID_EDIT_COPY, "ｺﾋﾟｰ(&C)\tCtrl+C", "選択範囲をコピーします", "コピー"},
        {ID_EDIT_PASTE, "貼り付け(&P)\tCtrl+V", "クリップボードの内容を貼り付けます", "貼り付け"},
        {ID_EDIT_SELECT_ALL, "すべてを選択(&S)\tCtrl+A", "表示中の画層の図形をすべて選択します",
         ""},
        {ID_LAYERS, "画層(&G)...", "画層の表示と色を設定します", ""},
        {ID_COLOR_BY_LAYER, "画層の色で表示(&O)", "ワイヤーフレームの図形を画層の色で表示します", ""},
        {ID_SNAP_ENDPOINT, "端点(&E)", "線の端点と円弧の端にスナップします", ""},
        {ID_SNAP_MIDPOINT, "中点(&M)", "線と円弧の中点にスナップします", ""},
        {ID_SNAP_CENTER, "中心(&C)", "円と円弧の中心にスナップします", ""},
        {ID_SNAP_INTERSECTION, "交点(&I)", "線・円・円弧の交点にスナップします", ""},
        {ID_SNAP_PERPENDICULAR, "垂線(&P)", "第1点から図形へ下ろした垂線の足にスナップします", ""},
        {ID_SNAP_NEAREST, "近接点(&R)", "カーソルに最も近い図形上の点にスナップします", ""},
        {ID_ORTHO, "直交(&O)\tF8", "第2点を第1点の水平線か垂直線の上に限ります", ""},
        {ID_ZOOM_FIT, "全体表示(&X)\tZ", "図面全体が見えるように真上から表示します", "全体表示"},
        {ID_MEASURE, "測定(&Q)", "クリックした点の間の距離と角度を測ります", "測定"},
        {ID_WIREFRAME, "ワイヤーフレーム(&W)", "ワイヤーフレームと陰影表示を切り替えます", ""},
        {ID_PARALLEL_PROJECTION, "平行透視（&P）", "", ""},
        {ID_WALK_THROUGH, "ウォークスルー（&W）", "", ""},
        {ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰ(&T)", "ツール バーの表示と非表示を切り替えます", ""},
        {ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", "ステータス バーの表示と非表示を切り替えます", ""},
        {ID_LINE, "直線(&L)\tL", "", "直線"},
        {ID_CIRCLE, "円(&C)\tC", "", "円"},
        {ID_ARC, "円弧(&A)\tA", "", "円弧"},
        {ID_TEXT, "文字(&T)\tT", "", "文字"},
        {ID_DIM_LINEAR, "長さ寸法(&L)", "2点間の水平または垂直の寸法を記入します", "長さ寸法"},
        {ID_DIM_ALIGNED, "平行寸法(&A)", "2点を結ぶ向きの寸法を記入します", ""},
        {ID_DIM_RADIUS, "半径寸法(&R)", "円・円弧の半径を記入します", ""},
        {ID_DIM_DIAMETER, "直径寸法(&D)", "円・円弧の直径を記入します", ""},
        {ID_DIM_ANGLE, "角度寸法(&G)", "2本の直線のなす角度を記入します", ""},
        {ID_DIM_SETTINGS, "寸法設定(&S)...", "寸法の文字の高さ・端末記号・桁数を設定します", ""},
        {ID_SPHERE, "球(&S)", "", ""},
        {ID_ERASE, "消去(&E)\tShift+E", "", "消去"},
        {ID_MOVE, "移動(&M)\tShift+M", "", "移動"},
        {ID_COPY, "複写(&C)\tShift+C", "", "複写"},
        {ID_ROTATE, "回転(&R)\tShift+R", "選択した図形を回転します", "回転"},
        {ID_MIRROR, "鏡像(&I)", "選択した図形を鏡像線に対して反転します", "鏡像"},
        {ID_MIRROR_COPY, "鏡像複写(&Y)", "選択した図形の鏡像を複写します", "鏡像複写"},
        {ID_SCALE_SHAPES, "尺度(&Z)", "選択した図形を拡大・縮小します", "尺度"},
        {ID_OFFSET, "複線(&O)", "", "複線"},
        {ID_STRETCH, "伸縮(&T)", "", "伸縮"},
        {ID_FILLET, "角丸め(&F)", "2本の線の角を円弧で丸めます", "角丸め"},
        {ID_CHAMFER, "面取り(&H)", "2本の線の角を斜めに切り落とします", "面取り"},
        {ID_TRIM, "トリム(&K)", "境界と交わる部分で図形を切り取ります", "トリム"},
        {ID_RECTANGLE, "矩形(&R)\tR", "2つの角を指示して矩形を描きます", "矩形"},
        {ID_CHANGE_LAYER, "画層変更(&L)...", "選択した図形を別の画層に移します", ""},
        {ID_RENDER_SETTINGS, "設定(&S)...", "レンダリングの設定をします", ""},
        {ID_RENDER, "レンダリング(&R)", "シーンを書き出してレンダリングします", ""},
        {ID_HELP, "ヘルプ(&H)...", "", "ヘルプ"},
        {ID_APP_ABOUT, "ﾊﾞｰｼﾞｮﾝ情報(&A)...", "プログラムの情報を表示します", "バージョン情報"},
        {ID_VIEW_MOVE, "", "移動", "移動"},
        {ID_VIEW_ZOOM, "", "ズーム", "ズーム"},
        {ID_VIEW_ROTATE, "", "回転", "回転"},
    };
    return table;
}

const CommandInfo* FindCommand(int id) {
    for (const CommandInfo& info : CommandTable()) {
        if (info.id == id) {
            return &info;
        }
    }
    return nullptr;
}

namespace {

MenuItem Cmd(int id) { return MenuItem{MenuItem::Kind::Command, id, "", {}}; }
MenuItem Sep() { return MenuItem{MenuItem::Kind::Separator, 0, "", {}}; }
MenuItem Popup(const char* caption, std::vector<MenuItem> children) {
    return MenuItem{MenuItem::Kind::Popup, 0, caption, std::move(children)};
}

}  // namespace

const std::vector<MenuItem>& MainMenu() {
    static const std::vector<MenuItem> menu = {
        Popup("ﾌｧｲﾙ(&F)",
              {Cmd(ID_FILE_NEW), Cmd(ID_FILE_OPEN), Cmd(ID_FILE_SAVE), Cmd(ID_FILE_SAVE_AS), Sep(),
               Popup("読み込み(&F)...", {Cmd(ID_DXF_IMPORT)}),
               Popup("書き出し(&E)", {Cmd(ID_DXF_EXPORT), Cmd(ID_POV_EXPORT)}), Sep(),
               Cmd(ID_INSERT_FILE), Sep(), Cmd(ID_FILE_PRINT), Cmd(ID_FILE_PRINT_PREVIEW),
               Cmd(ID_FILE_PRINT_SETUP), Sep(), Cmd(ID_FILE_MRU_FIRST), Sep(), Cmd(ID_APP_EXIT)}),
        Popup("編集(&E)", {Cmd(ID_EDIT_UNDO), Cmd(ID_EDIT_REDO), Sep(), Cmd(ID_EDIT_CUT), Cmd(ID_EDIT_COPY),
                           Cmd(ID_EDIT_PASTE), Sep(), Cmd(ID_EDIT_SELECT_ALL)}),
        Popup("表示(&V)", {Cmd(ID_LAYERS), Cmd(ID_COLOR_BY_LAYER), Sep(),
                           Popup("スナップ(&N)", {Cmd(ID_SNAP_ENDPOINT), Cmd(ID_SNAP_MIDPOINT), Cmd(ID_SNAP_CENTER),
                                                 Cmd(ID_SNAP_INTERSECTION), Cmd(ID_SNAP_PERPENDICULAR),
                                                 Cmd(ID_SNAP_NEAREST), Sep(), Cmd(ID_ORTHO)}),
                           Sep(), Cmd(ID_ZOOM_FIT), Cmd(ID_MEASURE), Sep(), Cmd(ID_WIREFRAME),
                           Cmd(ID_PARALLEL_PROJECTION), Cmd(ID_WALK_THROUGH), Sep(), Cmd(ID_VIEW_TOOLBAR),
                           Cmd(ID_VIEW_STATUS_BAR)}),
        Popup("作成(&D)",
              {Cmd(ID_LINE), Cmd(ID_RECTANGLE), Cmd(ID_CIRCLE), Cmd(ID_ARC), Cmd(ID_TEXT), Sep(),
               Popup("寸法(&N)", {Cmd(ID_DIM_LINEAR), Cmd(ID_DIM_ALIGNED), Cmd(ID_DIM_RADIUS),
                                  Cmd(ID_DIM_DIAMETER), Cmd(ID_DIM_ANGLE), Sep(), Cmd(ID_DIM_SETTINGS)}),
               Sep(), Cmd(ID_SPHERE)}),
        Popup("修正(&M)",
              {Cmd(ID_ERASE), Cmd(ID_MOVE), Cmd(ID_COPY), Cmd(ID_ROTATE), Cmd(ID_MIRROR),
               Cmd(ID_MIRROR_COPY), Cmd(ID_SCALE_SHAPES), Sep(), Cmd(ID_OFFSET), Cmd(ID_STRETCH),
               Cmd(ID_FILLET), Cmd(ID_CHAMFER), Cmd(ID_TRIM), Sep(),
               Cmd(ID_CHANGE_LAYER)}),
        Popup("レンダリング", {Cmd(ID_RENDER_SETTINGS), Sep(), Cmd(ID_RENDER)}),
        Popup("ﾍﾙﾌﾟ(&H)", {Cmd(ID_HELP), Cmd(ID_APP_ABOUT)}),
    };
    return menu;
}

const std::vector<int>& StandardToolBar() {
    static const std::vector<int> bar = {ID_FILE_NEW,   ID_FILE_OPEN, ID_FILE_SAVE,   0,
                                         ID_EDIT_CUT,   ID_EDIT_COPY, ID_EDIT_PASTE,  0,
                                         ID_FILE_PRINT, 0,            ID_VIEW_MOVE,   ID_VIEW_ROTATE,
                                         ID_VIEW_ZOOM,  ID_ZOOM_FIT,  0,              ID_APP_ABOUT};
    return bar;
}

const std::vector<int>& DrawingToolBar() {
    static const std::vector<int> bar = {
        ID_LINE,   ID_RECTANGLE, ID_CIRCLE, ID_ARC,    ID_TEXT,          0,
        ID_DIM_LINEAR, ID_MEASURE, 0,
        ID_ERASE,  ID_MOVE,      ID_COPY,   ID_ROTATE, ID_MIRROR,        ID_MIRROR_COPY, ID_SCALE_SHAPES, 0,
        ID_OFFSET, ID_STRETCH,   ID_FILLET, ID_CHAMFER, ID_TRIM};
    return bar;
}

const std::vector<Accelerator>& AcceleratorTable() {
    static const std::vector<Accelerator> table = {
        {'@', MOD_NONE, true, ID_RELATIVE_ENTRY},
        {'A', MOD_NONE, false, ID_ARC},
        {'A', MOD_CTRL, false, ID_EDIT_SELECT_ALL},
        {'C', MOD_NONE, false, ID_CIRCLE},
        {'C', MOD_CTRL, false, ID_EDIT_COPY},
        {KEY_INSERT, MOD_CTRL, false, ID_EDIT_COPY},
        {'C', MOD_SHIFT, false, ID_COPY},
        {'E', MOD_SHIFT, false, ID_ERASE},
        {'G', MOD_NONE, false, ID_GRID_TOGGLE},
        {'G', MOD_SHIFT, false, ID_GRID_PITCH},
        {'L', MOD_NONE, false, ID_LINE},
        {'M', MOD_SHIFT, false, ID_MOVE},
        {'N', MOD_CTRL, false, ID_FILE_NEW},
        {'O', MOD_CTRL, false, ID_FILE_OPEN},
        {'P', MOD_CTRL, false, ID_FILE_PRINT},
        {'R', MOD_NONE, false, ID_RECTANGLE},
        {'R', MOD_SHIFT, false, ID_ROTATE},
        {'S', MOD_NONE, false, ID_SNAP_TOGGLE},
        {'S', MOD_CTRL, false, ID_FILE_SAVE},
        {'T', MOD_NONE, false, ID_TEXT},
        {'V', MOD_CTRL, false, ID_EDIT_PASTE},
        {'Y', MOD_CTRL, false, ID_EDIT_REDO},
        {'Z', MOD_NONE, false, ID_ZOOM_FIT},
        {'Z', MOD_CTRL | MOD_SHIFT, false, ID_EDIT_REDO},
        {KEY_INSERT, MOD_SHIFT, false, ID_EDIT_PASTE},
        {KEY_BACKSPACE, MOD_ALT, false, ID_EDIT_UNDO},
        {'Z', MOD_CTRL, false, ID_EDIT_UNDO},
        {KEY_DELETE, MOD_NONE, false, ID_ERASE},
        {'X', MOD_CTRL, false, ID_EDIT_CUT},
        {KEY_ESCAPE, MOD_NONE, false, ID_CANCEL},
        {KEY_F6, MOD_NONE, false, ID_NEXT_PANE},
        {KEY_F6, MOD_SHIFT, false, ID_PREV_PANE},
        {KEY_F8, MOD_NONE, false, ID_ORTHO},
    };
    return table;
}

int TranslateAccelerator(int key, int modifiers, int character) {
    for (const Accelerator& a : AcceleratorTable()) {
        if (a.character ? (character != 0 && character == a.key)
                        : (key == a.key && modifiers == a.modifiers)) {
            return a.command;
        }
    }
    return 0;
}

}  // namespace marquetta
