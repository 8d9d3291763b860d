// zeltactl: administration of the local messaging service and a scripted peer that acts as
// one member, for tests and demonstrations.
#include "kernova/service/CLocalService.h"
#include "kernova/service/ServiceRules.h"
#include "kernova/service/xmpp/ServiceSelection.h"
#include "tools/zeltactl/CAdminCommands.h"
#include "tools/zeltactl/CCommandArgs.h"
#include "tools/zeltactl/CCtlError.h"
#include "tools/zeltactl/CDemoCommand.h"
#include "tools/zeltactl/CPeerCommandLine.h"
#include "tools/zeltactl/CPeerScript.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QTextStream>
#include <cstdio>

namespace {

const char kHelp[] = R"(使い方: zeltactl [--service DIR] コマンド ...

ローカル メッセージ サービスの管理と、メンバーとして動くスクリプト ピアです。
サービスの場所: --service DIR、なければ環境変数 ZELTA_SERVICE (xmpp://ホスト:ポート/ドメイン の
ネットワーク サービス)、なければ ZELTA_SERVICE_DIR、なければ $XDG_DATA_HOME/Tovar/service/。
ネットワーク サービスの管理はサーバーの管理者として行います: 環境変数 ZELTA_ADMIN_ID
(既定 admin) と ZELTA_ADMIN_PASSWORD。アカウントはサーバーの管理コマンド (XEP-0133)、
メンバーとグループは名簿 (publish-subscribe) で管理します。

管理コマンド:
  create                              サービスを作ります
  member add ID --password PW [項目]  メンバーを追加します
  member edit ID [項目]               メンバーの項目を変えます
      項目: --family --first --middle (表示用の名前) --family0 --first0 --middle0
            --alias --tel --email --sex N --birth YYYY-MM-DD --memo
  member remove ID                    メンバーを削除します
  member password ID PW               パスワードを設定し直します
  member list                         メンバーの一覧
  group add ID [--name 名前] [--parent 親ID]   グループを追加します
  group rename ID 名前                グループの名前を変えます
  group remove ID                     グループを下位グループごと削除します
  group list                          グループの木
  membership add GROUP MEMBER [--role N] [--name グループ内の名前]
  membership set GROUP MEMBER [--role N] [--name グループ内の名前]
  membership remove GROUP MEMBER
  role add N 名前 / role list         役割
  list                                すべてを表示します

スクリプト ピア:
  peer --id ID --password PW [--heartbeat ミリ秒] [--heartbeat-timeout ミリ秒]
       [--poll ミリ秒] [--files フォルダ] [--attach-limit バイト] [コマンド ...]
  --files: 届いた添付ファイルを フォルダ/<メッセージID><安全な名前> に保存します。
  コマンドはピアのオプションの後に続けて書くか (1 つのコマンドを引用符で囲んで 1 つの
  引数にしても同じです)、引数がなければ標準入力から 1 行に 1 つ与えます。
  起きたことは 1 行に 1 つの JSON で標準出力に書きます。
    status 状態 [--icon I] [--color N] [--group G,...]
    send --to a,b [--cc c] [--bcc d] [--subject 件名] [--priority N]
         [--body 本文 | --body-file ファイル] [--id メッセージID] [--reference ID]
         [--attach ファイル ...] [--attach-name 名前 ...] (名前は添付の順に付きます。
         --attach の後に複数のファイルを並べても、--attach を繰り返しても構いません)
    list                               このセッションで届いたメッセージ
    read メッセージID                  既読にします (既読の通知が送り主に届きます)
    wait イベント [--キー 値 ...] [--count N] [--timeout 秒]
    wait-message / wait-receipt / wait-presence ... (wait message などと同じ)
    directory                          メンバーとグループ
    sleep 秒 / echo テキスト / logoff / logon
    chat-create [--max-rooms N]        会議を作ります (以後の会議コマンドの既定の会議)
    chat-invite メンバー,... [--chat N] [--text 依頼文] [--max-members N]
    chat-join [--chat N]               参加します (既定: 最後に届いた参加依頼)
    chat-decline [--chat N] [--timed-out]   断ります (--timed-out: 時間切れとして)
    chat-talk テキスト [--chat N] / chat-leave [--chat N] / chat-log [--chat N]
    wait-chat / wait-chat-invite ...   会議のイベントを待ちます
      会議のイベントの type: 0 発言、1 お知らせ、2 参加、3 退席、4 辞退、5 依頼の時間切れ、
      6 ログオフ、7 登録削除
  例:
    zeltactl peer --id b --password pw send --to demo --subject 報告 --body 完了しました
    zeltactl peer --id b --password pw send --to demo --attach 表.csv 図.png wait-receipt
    zeltactl peer --id b --password pw status 会議中 --color 0x00CCFFFF sleep 60
    zeltactl peer --id b --password pw wait message --from demo --timeout 60 list
    zeltactl peer --id b --password pw chat-create chat-invite demo chat-talk こんにちは
    echo "send --to demo --body 'よろしく'" | zeltactl peer --id b --password pw

デモ:
  demo [--until-pid PID] [--pace 倍率] [--seed-only] [--no-seed]
       [--network [--location-file ファイル]]
  サービスが空なら、3 部署 12 人の組織とデモ ユーザー (ID "demo"、パスワード "demo"。
  全員のパスワードも "demo") を作り、12 人をスクリプト ピアとして動かします。ピアは
  オンラインになり、ときどき状態を変え、届いたメッセージを読んで返事をし、会議の依頼を
  受けて発言に答えます。SIGTERM/SIGINT を受けるか、PID のプロセスが終わると終了します。
  --network: ループバックに専用の XMPP サーバー (prosody) を起動して同じ組織を作り、ピアも
  XMPP で動かします。サーバーの場所 (ZELTA_SERVICE に渡す値) を出力とファイルに書きます。

終了コード: 0 成功、1 失敗 (サービスのエラー、待ち時間切れ)、2 入力の誤り。

Usage: zeltactl [--service DIR] COMMAND ...

Administration of the local messaging service, and a scripted peer acting as one member.
Service location: --service DIR, else $ZELTA_SERVICE (a network service xmpp://HOST:PORT/DOMAIN),
else $ZELTA_SERVICE_DIR, else $XDG_DATA_HOME/Tovar/service/. A network service is administered
as the server's administrator $ZELTA_ADMIN_ID (default admin) with $ZELTA_ADMIN_PASSWORD:
accounts through the server's administrative commands (XEP-0133), members and groups through
the directory node.

Administration:
  create | member add ID --password PW [fields] | member edit ID [fields]
  member remove ID | member password ID PW | member list
  group add ID [--name NAME] [--parent ID] | group rename ID NAME | group remove ID
  group list | membership add|set GROUP MEMBER [--role N] [--name NAME]
  membership remove GROUP MEMBER | role add N NAME | role list | list
  fields: --family --first --middle --family0 --first0 --middle0 --alias --tel --email
          --sex N --birth YYYY-MM-DD --memo

Scripted peer:
  peer --id ID --password PW [--heartbeat MS] [--heartbeat-timeout MS] [--poll MS]
       [--files DIR] [--attach-limit BYTES] [CMD ...]
  --files: received attachments are written to DIR/<message id><safe name>.
  Commands follow the peer's options as words (quoting a whole command as one argument works
  too), or, when none are given, come one per line from standard input as they arrive.
  Every event is printed as one JSON object per line on standard output.
    status TEXT [--icon I] [--color N] [--group G,...]
    send --to a,b [--cc c] [--bcc d] [--subject S] [--priority N] [--body B | --body-file F]
         [--id MESSAGE-ID] [--reference ID] [--attach FILE ...]
         [--attach-name NAME ...] (names go to the attached files in order; several files
         may follow one --attach, or --attach may be repeated)
    list | read MESSAGE-ID | directory | sleep SECONDS | echo TEXT | logoff | logon
    wait EVENT [--FIELD VALUE ...] [--count N] [--timeout SECONDS]
    wait-message | wait-receipt | wait-presence ... (same as wait message, ...)
    chat-create [--max-rooms N] | chat-invite MEMBER,... [--chat N] [--text T]
    [--max-members N] | chat-join [--chat N] | chat-decline [--chat N] [--timed-out]
    chat-talk TEXT [--chat N] | chat-leave [--chat N] | chat-log [--chat N]
    Events: logon logoff sent message read listed receipt presence group-added
            group-removed group-renamed group-member-added group-member-removed
            group-member-changed member-added member-removed member-changed session-ended
            chat-invite chat (type 0 talk, 1 notice, 2 joined, 3 left, 4 declined,
            5 invitation timed out, 6 logged off, 7 removed)
  Example: zeltactl peer --id b --password pw send --to demo --attach a.csv b.png wait-receipt

Demo:
  demo [--until-pid PID] [--pace FACTOR] [--seed-only] [--no-seed]
       [--network [--location-file FILE]]
  Seeds an empty service with a company of 3 groups and 12 members plus the demo user
  (ID "demo", password "demo"; every member's password is "demo") and runs the 12 as
  scripted peers until SIGTERM/SIGINT, or until process PID has ended. --network: starts a
  private XMPP server (prosody) on loopback with the same organisation and runs the peers
  over XMPP; its location (the value for ZELTA_SERVICE) goes to the output and to FILE.

Exit status: 0 success, 1 failure (service error, time-out), 2 bad input.
)";

int RunPeer(const QString& dir, QStringList words, QTextStream& out, QTextStream& err) {
    // The peer's options come first, so that a command's own --id stays the command's.
    CCommandArgs args(CPeerCommandLine::TakePeerOptions(&words));
    const auto id = args.TakeOption(QStringLiteral("id"));
    const auto password = args.TakeOption(QStringLiteral("password"));
    const auto heartbeat = args.TakeOption(QStringLiteral("heartbeat"));
    const auto timeout = args.TakeOption(QStringLiteral("heartbeat-timeout"));
    const auto poll = args.TakeOption(QStringLiteral("poll"));
    const auto files = args.TakeOption(QStringLiteral("files"));
    const auto attachLimit = args.TakeOption(QStringLiteral("attach-limit"));
    args.Finish(0, 0, {});
    const QStringList commands = CPeerCommandLine::GroupCommands(words);
    if (!id)
        throw CCtlError::MissingArgument(QStringLiteral("--id"));
    if (!password)
        throw CCtlError::MissingArgument(QStringLiteral("--password"));

    // A network peer keeps what the server does not (received messages until stored, sent
    // messages with their receipts) where zeltactl keeps its data, one file per member.
    const QString state = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                          QStringLiteral("/Tovar/zeltactl/xmpp");
    CPeerScript peer(dir, state, *id, *password, out, err);
    if (heartbeat) {
        const int interval = CCommandArgs::ToInt(QStringLiteral("--heartbeat"), *heartbeat);
        peer.SetHeartbeat(
            interval, timeout ? CCommandArgs::ToInt(QStringLiteral("--heartbeat-timeout"), *timeout)
                              : 3 * interval);
    } else if (timeout) {
        const int ms = CCommandArgs::ToInt(QStringLiteral("--heartbeat-timeout"), *timeout);
        peer.SetHeartbeat(ms / 3, ms);
    }
    if (poll)
        peer.SetSafetyPoll(CCommandArgs::ToInt(QStringLiteral("--poll"), *poll));
    if (files)
        peer.SetFilesDirectory(*files);
    if (attachLimit) {
        bool ok = false;
        const qint64 bytes = attachLimit->toLongLong(&ok);
        if (!ok || bytes < 0)
            throw CCtlError::BadNumber(QStringLiteral("--attach-limit"), *attachLimit);
        peer.SetAttachmentLimit(bytes);
    }
    if (commands.isEmpty())
        peer.ReadStandardInput();
    else
        peer.SetCommands(commands);
    return peer.Run();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList words = app.arguments().mid(1);

    try {
        // Arguments become ids and texts; bytes that are not UTF-8 would silently turn into
        // U+FFFD there.
        for (int i = 1; i < argc; ++i)
            if (!Svc::IsValidUtf8(argv[i]))
                throw CCtlError::Usage(QStringLiteral("引数 %1 が UTF-8 ではありません").arg(i),
                                       QStringLiteral("argument %1 is not UTF-8").arg(i));
        // Options of zeltactl itself come before the command.
        QString dir;
        while (!words.isEmpty() && words[0].startsWith(QLatin1String("-"))) {
            const QString w = words.takeFirst();
            if (w == QLatin1String("--help") || w == QLatin1String("-h")) {
                out << QString::fromUtf8(kHelp);
                return 0;
            }
            if (w == QLatin1String("--service") && !words.isEmpty())
                dir = words.takeFirst();
            else if (w.startsWith(QLatin1String("--service=")))
                dir = w.mid(10);
            else
                throw CCtlError::UnknownOption(w);
        }
        if (words.isEmpty())
            throw CCtlError::Usage(QStringLiteral("コマンドを指定してください"),
                                   QStringLiteral("no command given"));
        if (words.contains(QLatin1String("--help")) && words[0] != QLatin1String("peer")) {
            out << QString::fromUtf8(kHelp);
            return 0;
        }
        // A network service named in the environment wins, as it does for the program.
        if (dir.isEmpty())
            dir = qEnvironmentVariable("ZELTA_SERVICE");
        if (dir.isEmpty())
            dir = CLocalService::DefaultDirectory();

        const QString command = words.takeFirst();
        if (command == QLatin1String("peer"))
            return RunPeer(dir, words, out, err);
        if (command == QLatin1String("demo")) {
            // The network demo brings its own server; the other one seeds a local service.
            if (Svc::IsNetworkLocation(dir) && !words.contains(QLatin1String("--network")))
                throw CCtlError::Usage(
                    QStringLiteral("demo はネットワーク サービスに種をまけません (demo --network "
                                   "は専用のサーバーを起動します): %1")
                        .arg(dir),
                    QStringLiteral("demo cannot seed a network service (demo --network starts "
                                   "a server of its own): %1")
                        .arg(dir));
            return CDemoCommand(dir, out).Run(words);
        }
        if (!CAdminCommands::Handles(command))
            throw CCtlError::Usage(QStringLiteral("不明なコマンドです: %1").arg(command),
                                   QStringLiteral("unknown command: %1").arg(command));
        if (Svc::IsNetworkLocation(dir) && qEnvironmentVariable("ZELTA_ADMIN_PASSWORD").isEmpty())
            throw CCtlError::MissingArgument(QStringLiteral("ZELTA_ADMIN_PASSWORD"));
        CAdminCommands admin(dir, out, qEnvironmentVariable("ZELTA_ADMIN_ID", "admin"),
                             qEnvironmentVariable("ZELTA_ADMIN_PASSWORD"));
        admin.Run(command, words);
        return 0;
    } catch (const CCtlError& e) {
        out.flush();
        err << QStringLiteral("zeltactl: ") << e.Line() << u'\n';
        if (e.exit() == CCtlError::BadInput)
            err << QStringLiteral(
                "zeltactl: 「zeltactl --help」で使い方を表示します (see zeltactl --help)\n");
        return e.exit();
    }
}
